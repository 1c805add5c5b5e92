#include "render/eye_render.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/dancer_selection.h"
#include "animation/light_object.h"
#include "animation/light_show.h"
#include "animation/view_state.h"
#include "animation/vr_camera.h"
#include "animation/view_options.h"
#include "render/render_options.h"
#include "render/frame_driver.h"
#include "render/frame_shortcuts.h"
#include "render/gl_scope.h"
#include "render/planar_shadows.h"
#include "render/scene_helpers.h"
#include "render/scene_state.h"
#include "render/view_culling.h"

FrameLightRecord FrameLightSet = {};
std::int32_t PixelCount = 0;

namespace {

constexpr float kToonAmbientBoost = 0.2f;
constexpr float kFixtureLift = 50.0f;  // the fixture hangs above its light
constexpr double kDegreesPerRadian = 57.29577791868205;
constexpr float kMainLightPosition[3] = {-2200.0f, 1000.0f, 3400.0f};
constexpr float kOverlayColor[3] = {1.0f, 0.5f, 0.0f};
constexpr int kOverlayTextSize = 64;

void SetAmbient(float a) {
    const float ambient[4] = {a, a, a, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
}
float DancerAmbientLevel() { return DancerAmbient + (ToonShading ? kToonAmbientBoost : 0.0f); }

void SetUpCamera(std::int32_t eye) {
    if (CameraMode == 2) {
        if (VRCamera) VRCamera->SetupGLView(eye);
        return;
    }
    CCamera* camera =
        CameraMode == 0 ? AutoCameras[std::clamp<int>(ActiveAutoCamera, 0, 1)] : ManualCamera;
    if (camera) camera->SetupGLView(eye);
}

void SelectDrawBuffer(std::int32_t eye) {
    GLenum buffer = GL_BACK;
    if (StereoRendering && eye == 1) buffer = GL_BACK_LEFT;
    if (StereoRendering && eye == 2) buffer = GL_BACK_RIGHT;
    glDrawBuffer(buffer);
}

void FillFrameLightSet() {
    FrameLightRecord& set = FrameLightSet;
    set.attenuation = Spot0Attenuation;
    std::fill_n(set.mainColor, 3, MainLightLevel);
    std::copy_n(kMainLightPosition, 3, set.mainPosition);
    for (int i = 0; i < kSpotLightCount; ++i) {
        set.spotOn[i] = i < SpotsInForce() ? 1 : 0;
        if (!set.spotOn[i]) continue;
        std::copy_n(SpotColors[i], 3, set.spotColor[i]);
        set.spotColor[i][3] = 1.0f;
        std::copy_n(SpotDirections[i], 3, set.spotDirection[i]);
        set.spotPosition[i][0] = SpotPositions[i][0];
        set.spotPosition[i][1] = SpotPositions[i][1] + kFixtureLift;
        set.spotPosition[i][2] = SpotPositions[i][2];
        set.spotPosition[i][3] = 1.0f;
        const float cutoff = SpotLights[i] ? SpotLights[i]->GetCutoff() : 0.0f;
        set.spotCosCutoff[i] = std::cos(cutoff * 3.1415927f / 180.0f);
        // One degree wider: the soft edge of the cone.
        set.spotCosOuter[i] = static_cast<float>(std::cos((cutoff + 1.0) * M_PI / 180.0));
    }
}

void HandFrameToRayTracer() {
    FillFrameLightSet();
    CallHook(FrameRt.UpdateLights, FrameLightSet);
    CallHook(FrameRt.UpdateSpotLights, FrameLightSet);
    CallHook(FrameRt.UpdateCamera, RtCameraParams);
    CallHook(FrameRt.UpdateDancer);
}

// The first pass lays the translucent parts' depth, the second draws their colour only where
// that depth is the front-most, so each pixel is blended once. The main light is off for her
// and afterwards as it was: simple lighting keeps it off for the rest of the frame.
void DrawTranslucentDancer() {
    const bool mainOn = MainLight && MainLight->IsEnabled();
    SetLightEnabled(MainLight, false);
    {
        GlMatrixScope scope;
        SetAmbient(DancerAmbientLevel());
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        Dancer->DrawInstances(kTranslucentParts, 1);
    }
    {
        GlMatrixScope scope;
        glDepthFunc(GL_EQUAL);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        Dancer->DrawInstances(kTranslucentParts, 1);
        glDepthFunc(GL_LESS);
    }
    SetLightEnabled(MainLight, mainOn);
}

void DrawOpenGlPasses() {
    glShadeModel(SmoothShading ? GL_SMOOTH : GL_FLAT);
    glPolygonMode(GL_FRONT, FilledPolygons ? GL_FILL : GL_LINE);
    DrawScene();
    // The scene's fill runs while the later passes are still being sent.
    if (FrameShortcuts) glFlush();
    if (RenderShadows) DrawPlanarShadows();
    const bool dancerShown = DancerLoaded && Dancer;
    if (dancerShown && CurrentDancer == kTranslucentDancer) DrawTranslucentDancer();
    if (ToonShading && dancerShown) Dancer->DrawOutline();
}

void PrintOverlayLine(int x, int y, const std::string& text) {
    glRasterPos2i(x, y);
    glListBase(FontListBase);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
}

// The projection stays orthographic until the next eye's camera set-up reloads it.
void DrawStatsOverlay() {
    GlMatrixScope scope;
    glPushAttrib(GL_LIST_BIT);
    glDisable(GL_LIGHTING);
    glColor3fv(kOverlayColor);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero-width window still gets a valid projection.
    gluOrtho2D(0, std::max(ViewportWidth, 1), 0, std::max(ViewportHeight, 1));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    PrintOverlayLine(10, 20, StatsRateLine());
    PrintOverlayLine(10, 5, StatsSizeLine());
    glEnable(GL_LIGHTING);
    glPopAttrib();
}

void DrawProps(int first, int last) {
    for (int k = first; k <= last; ++k) {
        CModelObject* prop = PropModels[k];
        if (!prop) continue;
        const GlCapabilityOff blend(GL_BLEND, FrameShortcuts && prop->IsOpaque());
        DrawStaticModel(*prop);
    }
}

// A fixture aimed straight up keeps the model's own orientation.
void OrientFixture(const float* d) {
    if (!(d[1] < 1.0f)) return;
    glRotatef(static_cast<float>(270.0 - std::atan2(d[2], d[0]) * kDegreesPerRadian), 0, 1, 0);
    glRotatef(static_cast<float>(std::asin(d[1]) * kDegreesPerRadian + 90.0), 1, 0, 0);
}

// Node 1 is the fixture's cone, glowing unlit in its light's colour.
void DrawFixture(CModelObject& fixture, int spot) {
    GlMatrixScope scope;
    glTranslatef(SpotPositions[spot][0], SpotPositions[spot][1] + kFixtureLift,
                 SpotPositions[spot][2]);
    OrientFixture(SpotDirections[spot]);
    for (std::int32_t n = 0; n < fixture.GetNodeCount(); ++n) {
        const ModelNode& node = fixture.GetNode(n);
        if (node.type != kNodeMeshPart || !node.part) continue;
        const bool cone = n == 1;
        if (cone) {
            glDisable(GL_LIGHTING);
            glColor4f(SpotColors[spot][0], SpotColors[spot][1], SpotColors[spot][2], 1.0f);
            node.part->SetColor(SpotColors[spot]);
        }
        node.part->Draw();
        if (cone) glEnable(GL_LIGHTING);
    }
}

void DrawSpotFixtures() {
    CModelObject* fixture = PropModels[kSlotSpotLight];
    if (!fixture || !fixture->IsVisible()) return;
    for (int i = 0; i < SpotsInForce(); ++i) DrawFixture(*fixture, i);
}

void DrawRoom() {
    GlMatrixScope scope;
    SetAmbient(ClubAmbient);
    if (ShowClub && ClubModel) {
        ApplyClubPlacement();
        // Blending changes nothing where every pixel drawn has alpha 1.
        const GlCapabilityOff blend(GL_BLEND, FrameShortcuts && ClubModel->IsOpaque());
        for (std::int32_t n = 0; n < ClubModel->GetNodeCount(); ++n) {
            const ModelNode& node = ClubModel->GetNode(n);
            if (node.type == kNodeMeshPart && node.part) DrawStaticPart(*node.part);
        }
    } else if (FloorGrid) {
        const GlCapabilityOff blend(GL_BLEND, FrameShortcuts && FloorGrid->IsOpaque());
        DrawStaticPart(*FloorGrid);
    }
}

}  // namespace

void RenderFrame(std::int32_t eye) {
    glFinish();
    SetUpCamera(eye);
    SelectDrawBuffer(eye);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (RayTracerInForce()) HandFrameToRayTracer();
    // Takes effect at the next clear: the second eye or the next frame.
    if (ShowClub) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    } else {
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    }
    // Tested after the hand-over: a ray-tracer failure there falls back to OpenGL in this eye.
    if (RenderEngine == kOpenGlEngine) {
        DrawOpenGlPasses();
    } else if (RayTracerInForce()) {
        CallHook(FrameRt.Launch);
        CallHook(FrameRt.DisplayOutput);
    }
    if (RenderEnabled && ShowStats) DrawStatsOverlay();
    glFlush();
    if (RenderEngine == kRayTracerEngine) CallHook(FrameRt.UnmapOutput);
}

void DrawScene() {
    // The stencil test between passes always passes and keeps: the scene needs none.
    const GlCapabilityOff stencil(GL_STENCIL_TEST, FrameShortcuts);
    {
        GlMatrixScope scope;
        SetAmbient(DancerAmbientLevel());
        if (DancerLoaded && Dancer) Dancer->DrawInstances(kOpaqueParts, 1);
    }
    if (ShowClub && ShowProps) {
        SetAmbient(ClubAmbient);
        DrawProps(kSlotTable4, kSlotSpeaker);
        DrawSpotFixtures();
        DrawProps(kSlotPlant, kSlotTableGame);
    }
    DrawRoom();
}

void ResizeScene(std::int32_t width, std::int32_t height) {
    const std::int32_t w = std::max(width, 0);
    const std::int32_t h = height > 0 ? height : 1;
    glViewport(0, 0, w, h);
    ViewportWidth = w;
    ViewportHeight = h;
    PixelCount = w * h;
    FpsAveragingTime = 0.0f;
    if (RenderEngine == kRayTracerEngine) CallHook(FrameRt.ResizeOutputBuffer);
}

bool VersionTooOld(const char* version) {
    int major = 0, minor = 0, release = 0;
    if (version) std::sscanf(version, "%d.%d.%d", &major, &minor, &release);
    return major < 1 || (major == 1 && minor < 1);
}

bool StencilShadowsSupported(const char* renderer, int indexBits, int stencilBits) {
    if (stencilBits < 8) return false;
    // These two renderers have stencil bits only in their 16-bit modes.
    const bool riva = renderer && (std::strncmp(renderer, "RIVA 128", 8) == 0 ||
                                   std::strncmp(renderer, "RIVA TNT", 8) == 0);
    return !riva || indexBits == 16;
}

std::int32_t IsOpenGLVersionTooOld() {
    return VersionTooOld(reinterpret_cast<const char*>(glGetString(GL_VERSION))) ? 1 : 0;
}

std::int32_t CanUseStencilShadows() {
    GLint indexBits = 0, stencilBits = 0;
    glGetIntegerv(GL_INDEX_BITS, &indexBits);
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return StencilShadowsSupported(renderer, indexBits, stencilBits) ? 1 : 0;
}

std::string StatsRateLine() {
    // Parenthesised while the averaging window is still filling.
    const char* format = FpsAveragingTime == FpsWindow() ? "%.1f fps %d polygons %d verticies"
                                                         : "(%.1f) fps %d polygons %d verticies";
    char text[kOverlayTextSize];
    std::snprintf(text, sizeof text, format, FramesPerSecond, PolygonCount, VertexCount);
    return text;
}

std::string StatsSizeLine() {
    char text[kOverlayTextSize];
    std::snprintf(text, sizeof text, "%dx%d %d pixels", ViewportWidth, ViewportHeight, PixelCount);
    return text;
}
