#include "raytrace/rt_frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

#include "animation/view_state.h"
#include "raytrace/rt_context.h"
#include "raytrace/rt_report.h"
#include "render/scene_state.h"

namespace raytrace {

namespace {

bool g_launched = false;  // this eye's launch succeeded, so the output holds its picture
bool g_mapped = false;

RTsize WindowWidth() { return static_cast<RTsize>(std::max(ViewportWidth, 0)); }
RTsize WindowHeight() { return static_cast<RTsize>(std::max(ViewportHeight, 0)); }

// A reported run-time failure ends the ray tracer here: the frame no longer calls it.
int CheckRunning(RTresult result, const char* stepText) {
    if (!ReportRtError(result, stepText)) return 0;
    if (g_mapped) rtBufferUnmap(RtState.outputBuffer);
    g_mapped = false;
    g_launched = false;
    RtShutdown();
    return 1;
}

}  // namespace

void RtUpdateCamera(RtCameraRecord camera) {
    if (!RtState.context) return;
    const float* d = camera.direction;
    const float* u = camera.up;
    // The side vector is direction x up: the screen's right.
    rtVariableSet3f(RtState.cameraPos, camera.position[0], camera.position[1], camera.position[2]);
    rtVariableSet3f(RtState.cameraSide, d[1] * u[2] - d[2] * u[1], d[2] * u[0] - d[0] * u[2],
                    d[0] * u[1] - d[1] * u[0]);
    rtVariableSet3f(RtState.cameraUp, u[0], u[1], u[2]);
    rtVariableSet3f(RtState.cameraDir, d[0], d[1], d[2]);
    rtVariableSet1f(RtState.fovScale, camera.fovScale);
    rtVariableSet1f(RtState.aspectRatio, camera.aspectRatio);
    const float bg = ShowClub ? 0.0f : 1.0f;
    rtVariableSet3f(RtState.bgColor, bg, bg, bg);
}

void RtLaunch() {
    g_launched = false;
    if (!RtState.context) return;
    g_launched = CheckRunning(rtContextLaunch2D(RtState.context, 0, WindowWidth(), WindowHeight()),
                              "Context Launch 2D") == 0;
}

int RtDisplayOutput() {
    // A failed launch leaves no picture to show.
    if (!RtState.context || !g_launched) return 0;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, std::max(ViewportWidth, 1), 0, std::max(ViewportHeight, 1));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2i(0, 0);
    glDisable(GL_DEPTH_TEST);
    glPixelZoom(1, 1);
    void* data = nullptr;
    int failed = CheckRunning(rtBufferMap(RtState.outputBuffer, &data), "Buffer Map");
    if (!failed) g_mapped = true;
    if (!failed && data) {
        RTsize w = 0, h = 0;
        failed += CheckRunning(rtBufferGetSize2D(RtState.outputBuffer, &w, &h), "Buffer GetSize 2D");
        // An empty window draws nothing; the output's rows are dense, row 0 at the bottom.
        if (!failed && w > 0 && h > 0) {
            glDrawPixels(static_cast<GLsizei>(w), static_cast<GLsizei>(h),
                         static_cast<GLenum>(RtState.glPixelFormat),
                         static_cast<GLenum>(RtState.glPixelType), data);
        }
    }
    glEnable(GL_DEPTH_TEST);
    glPixelZoom(1, 1);
    return failed;
}

int RtUnmapOutput() {
    if (!RtState.context || !g_mapped) return 0;
    g_mapped = false;
    return CheckRunning(rtBufferUnmap(RtState.outputBuffer), "Buffer Unmap");
}

void RtResizeOutputBuffer() {
    if (!RtState.context) return;
    CheckRunning(rtBufferSetSize2D(RtState.outputBuffer, WindowWidth(), WindowHeight()),
                 "Buffer Set Size 2D");
}

}  // namespace raytrace
