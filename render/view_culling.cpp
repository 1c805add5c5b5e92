#include "render/view_culling.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "model/mesh_part.h"
#include "model/model_object.h"
#include "render/frame_shortcuts.h"

namespace {

// Float rounding here and in the GL differ: a chunk is skipped only when it lies clearly
// outside, by these shares of w: a hundredth of the window's half-width at the sides, less
// in depth, where the far plane's range is compressed.
constexpr float kSideMargin = 0.01f;
constexpr float kDepthMargin = 1e-4f;

constexpr int kScissorMarginPixels = 4;  // beyond the vertices: lines and rounding
constexpr float kNearestW = 1e-6f;        // vertices closer to the eye plane give up

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

// Projection x model-view as the GL holds them now.
void ClipMatrix(float* out) {
    float projection[16];
    float modelView[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    MultiplyMatrices(projection, modelView, out);
}

void ToClip(const float* m, const float* p, float* clip) {
    for (int r = 0; r < 4; ++r) clip[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
}

// Grows the window by the part's vertices under the clip matrix; false when one lies at or
// behind the eye.
bool AddPartVertices(const CMeshPart& part, const float* m, ScreenWindow* window) {
    const float* xyz = part.GetVertices();
    if (!xyz || part.IsIncomplete()) return true;  // drawing skips it too
    for (std::uint32_t v = 0; v < part.GetVertexCount(); ++v) {
        float clip[4];
        ToClip(m, xyz + 3 * v, clip);
        if (clip[3] < kNearestW) return false;
        const float x = clip[0] / clip[3];
        const float y = clip[1] / clip[3];
        window->x0 = std::min(window->x0, x);
        window->x1 = std::max(window->x1, x);
        window->y0 = std::min(window->y0, y);
        window->y1 = std::max(window->y1, y);
    }
    return true;
}

}  // namespace

ScreenWindow ScreenWindow::Joined(const ScreenWindow& other) const {
    if (Empty()) return other;
    if (other.Empty()) return *this;
    return {std::min(x0, other.x0), std::max(x1, other.x1), std::min(y0, other.y0),
            std::max(y1, other.y1)};
}

ScreenWindow ScreenWindow::Intersected(const ScreenWindow& other) const {
    if (Empty() || other.Empty()) return None();
    return {std::max(x0, other.x0), std::min(x1, other.x1), std::max(y0, other.y0),
            std::min(y1, other.y1)};
}

ScreenWindow ModelScreenWindow(CModelObject& model, std::int32_t mode) {
    ScreenWindow window = ScreenWindow::None();
    bool bounded = true;
    model.VisitInstance(mode, 0, [&](CMeshPart& part) {
        if (!bounded) return;
        float m[16];
        ClipMatrix(m);
        bounded = AddPartVertices(part, m, &window);
    });
    if (!bounded) return {};
    if (window.Empty()) return window;
    return {std::max(window.x0, -1.0f), std::min(window.x1, 1.0f), std::max(window.y0, -1.0f),
            std::min(window.y1, 1.0f)};
}

ScissorScope::ScissorScope(const ScreenWindow& window) : m_savedBox{} {
    glGetIntegerv(GL_SCISSOR_BOX, m_savedBox);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const auto pixel = [](float ndc, GLint origin, GLint size) {
        return origin + (ndc + 1.0f) * 0.5f * static_cast<float>(size);
    };
    const int x0 = static_cast<int>(std::floor(pixel(window.x0, viewport[0], viewport[2])));
    const int x1 = static_cast<int>(std::ceil(pixel(window.x1, viewport[0], viewport[2])));
    const int y0 = static_cast<int>(std::floor(pixel(window.y0, viewport[1], viewport[3])));
    const int y1 = static_cast<int>(std::ceil(pixel(window.y1, viewport[1], viewport[3])));
    const int m = kScissorMarginPixels;
    glScissor(x0 - m, y0 - m, std::max(0, x1 - x0 + 2 * m), std::max(0, y1 - y0 + 2 * m));
    glEnable(GL_SCISSOR_TEST);
}

ScissorScope::~ScissorScope() {
    glDisable(GL_SCISSOR_TEST);
    glScissor(m_savedBox[0], m_savedBox[1], m_savedBox[2], m_savedBox[3]);
}

ViewChunkFilter::ViewChunkFilter(const ScreenWindow& window) : m_window(window) {
    ClipMatrix(m_clip);
}

bool ViewChunkFilter::MayShow(const float* min, const float* max) const {
    bool allOutside[6] = {true, true, true, true, true, true};
    for (int corner = 0; corner < 8; ++corner) {
        const float p[3] = {corner & 1 ? max[0] : min[0], corner & 2 ? max[1] : min[1],
                            corner & 4 ? max[2] : min[2]};
        float clip[4];
        ToClip(m_clip, p, clip);
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

void DrawStaticModel(CModelObject& model) {
    if (!FrameShortcuts) {
        model.Draw();
        return;
    }
    const std::int32_t instances = std::min(model.GetInstanceCount(), kMaxInstances);
    for (std::int32_t i = 0; i < instances; ++i) {
        model.VisitInstance(0, i, [](CMeshPart& part) { DrawStaticPart(part); });
    }
}
