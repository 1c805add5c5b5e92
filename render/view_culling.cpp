#include "render/view_culling.h"

#include <GL/gl.h>

#include <cmath>

#include "model/mesh_part.h"
#include "render/frame_shortcuts.h"

namespace {

// Float rounding here and in the GL differ: a chunk is skipped only when it lies clearly
// outside, by these shares of w: a hundredth of the window's half-width at the sides, less
// in depth, where the far plane's range is compressed.
constexpr float kSideMargin = 0.01f;
constexpr float kDepthMargin = 1e-4f;

// out = a x b for column-major 4 x 4 matrices.
void MultiplyMatrices(const float* a, const float* b, float* out) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + r] * b[c * 4 + k];
            out[c * 4 + r] = sum;
        }
    }
}

// The distances of a clip-space point from the six planes of the window's volume; the point
// is inside where all six are at least 0.
struct PlaneDistances {
    float d[6];
};

PlaneDistances Distances(const float* clip, const ScreenWindow& w) {
    const float x = clip[0], y = clip[1], z = clip[2], h = clip[3];
    return {{x - w.x0 * h, w.x1 * h - x, y - w.y0 * h, w.y1 * h - y, z + h, h - z}};
}

}  // namespace

ViewChunkFilter::ViewChunkFilter(const ScreenWindow& window) : m_window(window) {
    float projection[16];
    float modelView[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    MultiplyMatrices(projection, modelView, m_clip);
}

bool ViewChunkFilter::MayShow(const float* min, const float* max) const {
    bool allOutside[6] = {true, true, true, true, true, true};
    for (int corner = 0; corner < 8; ++corner) {
        const float p[3] = {corner & 1 ? max[0] : min[0], corner & 2 ? max[1] : min[1],
                            corner & 4 ? max[2] : min[2]};
        float clip[4];
        for (int r = 0; r < 4; ++r) {
            clip[r] = m_clip[r] * p[0] + m_clip[4 + r] * p[1] + m_clip[8 + r] * p[2] +
                      m_clip[12 + r];
        }
        const PlaneDistances d = Distances(clip, m_window);
        const float w = std::fabs(clip[3]);
        for (int plane = 0; plane < 6; ++plane) {
            const float margin = (plane < 4 ? kSideMargin : kDepthMargin) * w;
            allOutside[plane] &= d.d[plane] < -margin;
        }
    }
    for (bool outside : allOutside) {
        if (outside) return false;
    }
    return true;
}

void DrawStaticPart(CMeshPart& part, const ScreenWindow& window) {
    if (!FrameShortcuts) {
        part.Draw();
        return;
    }
    part.DrawChunks(ViewChunkFilter(window));
}
