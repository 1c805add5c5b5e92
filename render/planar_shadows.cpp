#include "render/planar_shadows.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <optional>

#include "animation/dancer_selection.h"
#include "animation/light_object.h"
#include "animation/light_show.h"
#include "animation/view_options.h"
#include "model/mesh_part.h"
#include "model/model_object.h"
#include "model/vec_math.h"
#include "render/frame_driver.h"
#include "render/frame_shortcuts.h"
#include "render/gl_scope.h"
#include "render/scene_helpers.h"
#include "render/scene_state.h"
#include "render/view_culling.h"

float FloorShadowPlane[4] = {};
float ClubWallPlane[4] = {};
float ClubWallClipPlane[4] = {};
float ClubFloorPlane[4] = {};
float FloorClipPlane[4] = {};
float FloorClipPlaneReversed[4] = {};

namespace {

// Stencil bits.
constexpr GLuint kFloorBit = 1;       // the floor receiver
constexpr GLuint kWallBit = 2;        // the wall receiver, only where the floor bit is clear
constexpr GLuint kLowerFloorBit = 4;  // the lower floor
constexpr GLuint kFirstLightBit = 8;  // spot i shadows where bit 8 << i is set
constexpr GLint kAllBits = 255;

constexpr double kTranslucentShadowLight = 0.30000001192092896;  // light kept under her veil

// Club parts with a role in the shadows.
constexpr int kClubFloorPart = 0;
constexpr int kClubWoodPart = 3;
constexpr int kClubTrimPart = 4;
constexpr int kClubLowerFloorPart = 5;
constexpr int kClubWallPart = 6;
constexpr int kClippedWallLayoutNodes = 6;

bool ClubShown() { return ShowClub && ClubModel; }

// Only the receivers draw colour here (the casters and marks write none), so the passes need
// no blending when the receivers have alpha 1 everywhere.
bool ReceiversOpaque() {
    if (ClubShown()) return ClubModel->IsOpaque();
    return !FloorGrid || FloorGrid->IsOpaque();
}

// Draws club part p when the club has it; with the shortcuts only its chunks that reach the
// window.
void DrawClubPart(int p, const ScreenWindow& window = {}) {
    if (p < ClubModel->GetPartCount() && ClubModel->GetPart(p)) {
        DrawStaticPart(*ClubModel->GetPart(p), window);
    }
}

bool WallInsideFloorPart() { return ClubWallInsideFloorPart(*ClubModel); }

int WallReceiverPart() { return WallInsideFloorPart() ? kClubFloorPart : kClubWallPart; }

// The floor receiver: club part 0 when the club is shown (the caller applies the placement),
// else the floor grid; with the shortcuts only its chunks that reach the window.
void DrawFloorReceiver(const ScreenWindow& window = {}) {
    if (ClubShown()) {
        DrawClubPart(kClubFloorPart, window);
    } else if (FloorGrid) {
        DrawStaticPart(*FloorGrid, window);
    }
}

void SetClipPlane(GLenum id, const float* plane) {
    const double equation[4] = {plane[0], plane[1], plane[2], plane[3]};
    glClipPlane(id, equation);
}

void SetColorWrites(bool on) {
    const GLboolean b = on ? GL_TRUE : GL_FALSE;
    glColorMask(b, b, b, b);
}

// Before the casters of a pass: stencil only, no depth test, depth EQUAL for the redraw.
void BeginCasters(GLenum fail, GLenum depthFail, GLenum pass) {
    glEnable(GL_STENCIL_TEST);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_EQUAL);
    glDisable(GL_LIGHTING);
    SetColorWrites(false);
    glStencilOp(fail, depthFail, pass);
}

// After the casters: the receivers are redrawn lit where they are the visible surface.
void BeginRedraw() {
    SetColorWrites(true);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
}

void EndPass() {
    glStencilMask(~0u);
    glDepthFunc(GL_LESS);
    ResetStencilState();
}

void DrawDancerCaster(std::int32_t mode) {
    if (DancerLoaded && DancerShadow) DancerShadow->DrawInstances(mode, 1);
}

void PointLight(int spot, float* out) {
    std::copy_n(SpotPositions[spot], 3, out);
    out[3] = 1.0f;
}

void MultShadowMatrix(const float* plane, int spot) {
    float light[4];
    PointLight(spot, light);
    float m[16];
    MakeShadowMatrix(m, plane, light);
    glMultMatrixf(m);
}

// The dancer's shadow from a spot onto a plane, setting lightBit where receiverBit is set.
void ProjectCaster(GLuint lightBit, GLuint receiverBit, const float* plane, int spot,
                   std::int32_t mode) {
    GlMatrixScope scope;
    glStencilMask(lightBit);
    glStencilFunc(GL_EQUAL, kAllBits, receiverBit);
    MultShadowMatrix(plane, spot);
    DrawDancerCaster(mode);
}

// The screen window the dancer's shadow from a spot onto a plane reaches: none without a
// caster.
ScreenWindow ShadowWindow(const float* plane, int spot, std::int32_t mode) {
    if (!DancerLoaded || !DancerShadow) return ScreenWindow::None();
    GlMatrixScope scope;
    MultShadowMatrix(plane, spot);
    return ModelScreenWindow(*DancerShadow, mode);
}

// Where the shadows of the dancer's shadow copy can fall this frame. The stencil bits that
// the receiver marks and the casters write matter only there, since every pass that draws
// colour tests bits that only the casters set. Each window is the whole viewport with the
// shortcuts off.
using LightWindows = std::array<ScreenWindow, kSpotLightCount>;

ScreenWindow JoinedWindow(const LightWindows& windows) {
    ScreenWindow all = ScreenWindow::None();
    for (const ScreenWindow& w : windows) all = all.Joined(w);
    return all;
}

struct ShadowWindows {
    LightWindows veiled;  // per spot, the floor shadow of her translucent parts
    LightWindows floor;   // per spot, the floor shadow of the other parts
    ScreenWindow wall;    // spot 0's shadow on the wall

    ShadowWindows(int lights, bool veil) {
        if (!FrameShortcuts) return;
        veiled.fill(ScreenWindow::None());
        floor.fill(ScreenWindow::None());
        for (int i = 0; i < lights; ++i) {
            if (veil) veiled[i] = ShadowWindow(FloorShadowPlane, i, kTranslucentParts);
            floor[i] = ShadowWindow(FloorShadowPlane, i, kOpaqueParts);
        }
        wall = ClubShown() ? ShadowWindow(ClubWallPlane, 0, kOpaqueParts) : ScreenWindow::None();
    }
};

// Limits drawing to the window with the shortcuts; the plain passes keep the whole viewport.
class ShortcutScissor {
  public:
    explicit ShortcutScissor(const ScreenWindow& window) {
        if (FrameShortcuts) m_scissor.emplace(window);
    }

  private:
    std::optional<ScissorScope> m_scissor;
};

void BeginReceiverMark(GLuint bit, GLenum func, GLint ref, GLuint mask) {
    glStencilMask(bit);
    glStencilFunc(func, ref, mask);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
}

// Marks the receivers' whole screen area (the depth test is off, so hidden parts too); with
// the shortcuts only where casters can test the marks: the floor bit under the floor shadows
// and the wall shadow (the wall mark goes only where the floor bit is clear), the wall bit
// under the wall shadow.
void MarkReceivers(const ShadowWindows& windows) {
    glEnable(GL_STENCIL_TEST);
    glDisable(GL_DEPTH_TEST);
    SetColorWrites(false);
    const ScreenWindow floorMarks =
        JoinedWindow(windows.floor).Joined(JoinedWindow(windows.veiled)).Joined(windows.wall);
    if (ClubShown()) {
        if (!floorMarks.Empty()) {
            const ShortcutScissor scissor(floorMarks);
            GlMatrixScope scope;
            BeginReceiverMark(kFloorBit, GL_ALWAYS, kFloorBit, kFloorBit);
            SetClipPlane(GL_CLIP_PLANE0, FloorClipPlane);
            ApplyClubPlacement();
            glEnable(GL_CLIP_PLANE0);
            DrawClubPart(kClubFloorPart, floorMarks);
            glDisable(GL_CLIP_PLANE0);
        }
        if (!windows.wall.Empty()) {
            const ShortcutScissor scissor(windows.wall);
            GlMatrixScope scope;
            BeginReceiverMark(kWallBit, GL_NOTEQUAL, kAllBits, kFloorBit);
            if (WallInsideFloorPart()) {
                SetClipPlane(GL_CLIP_PLANE1, FloorClipPlaneReversed);
                SetClipPlane(GL_CLIP_PLANE2, ClubWallClipPlane);
                ApplyClubPlacement();
                glEnable(GL_CLIP_PLANE1);
                glEnable(GL_CLIP_PLANE2);
                DrawClubPart(kClubFloorPart, windows.wall);
                glDisable(GL_CLIP_PLANE1);
                glDisable(GL_CLIP_PLANE2);
            } else {
                ApplyClubPlacement();
                DrawClubPart(kClubWallPart, windows.wall);
            }
        }
        {
            GlMatrixScope scope;
            BeginReceiverMark(kLowerFloorBit, GL_ALWAYS, kLowerFloorBit, kLowerFloorBit);
            ApplyClubPlacement();
            DrawClubPart(kClubLowerFloorPart);
        }
    } else if (!floorMarks.Empty()) {
        const ShortcutScissor scissor(floorMarks);
        BeginReceiverMark(kFloorBit, GL_ALWAYS, kFloorBit, kFloorBit);
        DrawFloorReceiver(floorMarks);
    }
    ResetStencilState();
    SetColorWrites(true);
    glEnable(GL_DEPTH_TEST);
}

bool InSubset(int subset, int spot) { return (subset >> spot) & 1; }

// Pixels shadowed by exactly the lights of subset.
void SelectSubset(int subset, int allLights) {
    glStencilFunc(GL_EQUAL, static_cast<GLint>(kFirstLightBit * subset),
                  kFirstLightBit * allLights);
}

void ProjectFloorCasters(int lights, std::int32_t mode) {
    BeginCasters(GL_KEEP, GL_REPLACE, GL_REPLACE);
    for (int i = 0; i < lights; ++i) {
        ProjectCaster(kFirstLightBit << i, kFloorBit, FloorShadowPlane, i, mode);
    }
}

// Redraws the floor receiver once per non-empty set of lights, on the pixels that exactly
// those lights shadow, with shade(i, true) applied to each light of the set before and
// shade(i, false) after. Only the window holds light bits, so only it is redrawn.
template <class Shade>
void RedrawFloorPerLightSet(int lights, int allLights, const LightWindows& shadows,
                            Shade shade) {
    BeginRedraw();
    {
        GlMatrixScope scope;
        if (ClubShown()) ApplyClubPlacement();
        for (int s = 1; s <= allLights; ++s) {
            // A pixel in the shadow of exactly these lights lies in the window of each.
            ScreenWindow window;
            for (int i = 0; i < lights; ++i) {
                if (InSubset(s, i)) window = window.Intersected(shadows[i]);
            }
            if (window.Empty()) continue;
            const ShortcutScissor scissor(window);
            SelectSubset(s, allLights);
            for (int i = 0; i < lights; ++i) {
                if (InSubset(s, i)) shade(i, true);
            }
            DrawFloorReceiver(window);
            for (int i = 0; i < lights; ++i) {
                if (InSubset(s, i)) shade(i, false);
            }
        }
    }
    EndPass();
}

// Her translucent parts keep 30 % of the shadowing lights' colour instead of losing them.
void TranslucentShadowPass(int lights, int allLights, const LightWindows& shadows) {
    ProjectFloorCasters(lights, kTranslucentParts);
    float saved[kSpotLightCount][3];
    RedrawFloorPerLightSet(lights, allLights, shadows, [&saved](int i, bool dim) {
        CSpotLightObject* spot = SpotLights[i];
        if (!spot) return;
        if (!dim) {
            spot->SetColor(saved[i]);
            return;
        }
        spot->GetColor(saved[i]);
        float dimmed[3];
        for (int c = 0; c < 3; ++c) {
            dimmed[c] = static_cast<float>(saved[i][c] * kTranslucentShadowLight);
        }
        spot->SetColor(dimmed);
    });
    // The opaque pass starts from clear light bits.
    BeginCasters(GL_ZERO, GL_ZERO, GL_ZERO);
    glStencilFunc(GL_EQUAL, kAllBits, kFloorBit);
    for (int i = 0; i < lights; ++i) {
        if (shadows[i].Empty()) continue;
        const ShortcutScissor scissor(shadows[i]);
        GlMatrixScope scope;
        glStencilMask(kFirstLightBit << i);
        if (ClubShown()) ApplyClubPlacement();
        DrawFloorReceiver(shadows[i]);
    }
}

void FloorShadowPass(int lights, int allLights, const LightWindows& shadows) {
    ProjectFloorCasters(lights, kOpaqueParts);
    RedrawFloorPerLightSet(lights, allLights, shadows,
                           [](int i, bool off) { SetLightEnabled(SpotLights[i], !off); });
}

// Club part p again, lit without spot 0, where only spot 0 shadows it: within the window.
void RedrawWithoutKeySpot(int allLights, int part, const ScreenWindow& window = {}) {
    BeginRedraw();
    if (!window.Empty()) {
        const ShortcutScissor scissor(window);
        GlMatrixScope scope;
        ApplyClubPlacement();
        SelectSubset(1, allLights);
        SetLightEnabled(SpotLights[0], false);
        DrawClubPart(part, window);
        SetLightEnabled(SpotLights[0], true);
    }
    EndPass();
}

// Where the projected caster misses the wall, spot 0's bit is cleared. Spot 0's bit is then
// set only in its floor shadow and on the wall shadow, so only their windows are redrawn.
void WallShadowPass(int allLights, const ShadowWindows& windows) {
    BeginCasters(GL_ZERO, GL_REPLACE, GL_REPLACE);
    ProjectCaster(kFirstLightBit, kWallBit, ClubWallPlane, 0, kOpaqueParts);
    RedrawWithoutKeySpot(allLights, WallReceiverPart(), windows.floor[0].Joined(windows.wall));
}

// Besides the dancer, the club's own floor, trim, counter and wall and the four-seat tables
// throw spot 0's light off the lower floor.
void LowerFloorShadowPass(int allLights) {
    BeginCasters(GL_ZERO, GL_KEEP, GL_REPLACE);
    {
        GlMatrixScope scope;
        glStencilMask(kFirstLightBit);
        glStencilFunc(GL_EQUAL, kAllBits, kLowerFloorBit);
        MultShadowMatrix(ClubFloorPlane, 0);
        DrawDancerCaster(kOpaqueParts);
        {
            GlMatrixScope placed;
            ApplyClubPlacement();
            for (int p : {kClubFloorPart, kClubTrimPart, kClubWoodPart, kClubWallPart})
                DrawClubPart(p);
        }
        // The tables stand where the scene draws them: in world coordinates.
        CModelObject* tables = PropModels[kSlotTable4];
        if (ShowProps && tables && tables->IsVisible()) DrawStaticModel(*tables);
    }
    RedrawWithoutKeySpot(allLights, kClubLowerFloorPart);
}

}  // namespace

void MakePlaneFromPoints(float* out, const float* p1, const float* p2, const float* p3) {
    float a[3], b[3], n[3];
    Vec3Sub(p2, p1, a);
    Vec3Sub(p3, p1, b);
    Vec3Cross(a, b, n);
    out[0] = n[0];
    out[1] = n[1];
    out[2] = n[2];
    out[3] = -(n[0] * p1[0] + n[1] * p1[1] + n[2] * p1[2]);
}

void MakeShadowMatrix(float* out, const float* plane, const float* light) {
    const float d =
        plane[0] * light[0] + plane[1] * light[1] + plane[2] * light[2] + plane[3] * light[3];
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) out[c * 4 + r] = (r == c ? d : 0.0f) - light[r] * plane[c];
    }
}

void ComputeShadowPlanes() {
    struct PlanePoints {
        float* plane;
        float p1[3], p2[3], p3[3];
    };
    const PlanePoints planes[] = {
        {FloorShadowPlane, {0, 20, 0}, {0, 20, 1}, {1, 20, 0}},
        {ClubWallPlane, {-15360, -975, -7065}, {-15360, 25, -6800}, {-26200, 25, -7580}},
        {ClubWallClipPlane, {-26200, 25, -7580}, {-15360, 25, -6800}, {-15360, -975, -7065}},
        {ClubFloorPlane, {0, -975, 0}, {0, -975, 1}, {1, -975, 0}},
        {FloorClipPlane, {0, -100, 0}, {0, -100, 1}, {1, -100, 0}},
        {FloorClipPlaneReversed, {1, -100, 0}, {0, -100, 1}, {0, -100, 0}},
    };
    for (const PlanePoints& p : planes) MakePlaneFromPoints(p.plane, p.p1, p.p2, p.p3);
}

bool ClubWallInsideFloorPart(const CModelObject& club) {
    return club.GetNodeCount() == kClippedWallLayoutNodes;
}

void ResetStencilState() {
    if (StencilShadowsUsable) {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_ALWAYS, 0, ~0u);
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    } else {
        glDisable(GL_STENCIL_TEST);
    }
}

void DrawPlanarShadows() {
    const int lights = SpotsInForce();
    // Without 8 stencil bits the light bits would alias the receiver bits.
    if (lights < 1 || SimpleLighting || !StencilShadowsUsable) return;
    const int allLights = (1 << lights) - 1;
    const GlCapabilityOff blend(GL_BLEND, FrameShortcuts && ReceiversOpaque());
    const bool veil = CurrentDancer == kTranslucentDancer;
    const ShadowWindows windows(lights, veil);
    MarkReceivers(windows);
    if (veil) TranslucentShadowPass(lights, allLights, windows.veiled);
    FloorShadowPass(lights, allLights, windows.floor);
    if (!ClubShown()) return;
    WallShadowPass(allLights, windows);
    LowerFloorShadowPass(allLights);
}
