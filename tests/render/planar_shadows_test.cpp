#include "render/planar_shadows.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/dancer_selection.h"
#include "animation/light_object.h"
#include "animation/light_show.h"
#include "animation/view_state.h"
#include "animation/view_options.h"
#include "model/vec_math.h"
#include "render/eye_render.h"
#include "render/scene_state.h"
#include "tests/render/render_fixture.h"
#include "tests/support/case_name.h"

namespace {

using Vec4 = std::array<double, 4>;

// x' = M x with M in glMultMatrixf order, then the homogeneous divide.
std::array<double, 3> Transform(const float* m, const std::array<double, 3>& p) {
    Vec4 out = {};
    for (int r = 0; r < 4; ++r) {
        out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
    }
    return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

struct ShadowCase {
    const char* name;
    float plane[4];
    float light[3];
    std::array<double, 3> onPlane;  // a point of the plane
};
const ShadowCase kShadowCases[] = {
    {"DanceFloorUnderKeySpot", {0, 1, 0, -20}, {-2200, 2900, 3400}, {300, 20, -500}},
    {"LowerFloorUnderColouredSpot", {0, 1, 0, 975}, {6400, 2900, 3300}, {-1200, -975, 800}},
    {"TiltedWall",
     {-780000, -2872600, 10840000, 61803015000.0f},
     {-2200, 2900, 3400},
     {4000, 0, (61803015000.0 - 780000.0 * 4000) / -10840000.0}},
};
class ShadowMatrixTest : public ::testing::TestWithParam<ShadowCase> {};

TEST_P(ShadowMatrixTest, MapsAlongTheLightOntoThePlane) {
    const ShadowCase& c = GetParam();
    const float light[4] = {c.light[0], c.light[1], c.light[2], 1};
    float m[16];
    MakeShadowMatrix(m, c.plane, light);
    const double scale = std::hypot(c.plane[0], c.plane[1], c.plane[2]);
    const auto distance = [&](const std::array<double, 3>& p) {
        return (c.plane[0] * p[0] + c.plane[1] * p[1] + c.plane[2] * p[2] + c.plane[3]) / scale;
    };
    ASSERT_NEAR(distance(c.onPlane), 0.0, 0.5);
    const auto fixed = Transform(m, c.onPlane);
    // Between the light and the plane, on the ray through the plane point.
    std::array<double, 3> above;
    for (int i = 0; i < 3; ++i) above[i] = c.light[i] + 0.6 * (c.onPlane[i] - c.light[i]);
    const auto projected = Transform(m, above);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(fixed[i], c.onPlane[i], 0.5) << i;
        EXPECT_NEAR(projected[i], c.onPlane[i], 0.5) << i;
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, ShadowMatrixTest, ::testing::ValuesIn(kShadowCases), CaseName());

TEST(ShadowPlanes, StartUpPlanesFaceTheirKeptSides) {
    ComputeShadowPlanes();
    EXPECT_EQ((std::array<float, 4>{FloorShadowPlane[0], FloorShadowPlane[1], FloorShadowPlane[2],
                                    FloorShadowPlane[3]}),
              (std::array<float, 4>{0, 1, 0, -20}));
    EXPECT_EQ(ClubFloorPlane[3], 975.0f);
    EXPECT_EQ(FloorClipPlane[1] * 0 + FloorClipPlane[3], 100.0f);  // y = 0 lies on the kept side
    EXPECT_EQ(FloorClipPlaneReversed[1], -1.0f);
    EXPECT_EQ(FloorClipPlaneReversed[3], -100.0f);
    EXPECT_EQ((std::array<float, 3>{ClubWallPlane[0], ClubWallPlane[1], ClubWallPlane[2]}),
              (std::array<float, 3>{-780000, -2872600, 10840000}));
    EXPECT_NEAR(ClubWallPlane[3], 6.1803e10f, 1e6f);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ClubWallClipPlane[i], -ClubWallPlane[i]) << i;
    EXPECT_NEAR(ClubWallClipPlane[3], -ClubWallPlane[3], 1e6f);  // rounded from other points
}

std::vector<std::uint8_t> ReadStencil(int width, int height) {
    std::vector<std::uint8_t> stencil(static_cast<std::size_t>(width) * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
    return stencil;
}

int Brightness(const std::uint8_t* p) { return p[0] + p[1] + p[2]; }

struct ReceiverCase {
    const char* name;
    int showClub;
};
const ReceiverCase kReceiverCases[] = {{"ClubFloor", 1}, {"FloorGrid", 0}};

class PlanarShadowTest : public SceneFixture, public ::testing::WithParamInterface<ReceiverCase> {
  protected:
    // The manual camera as high as the club lets it, looking down past her onto the floor.
    void LookDownAtTheFloor() {
        CameraMode = 1;
        ManualCamera->Init(DegToRad(40), DegToRad(96), 6000, 45);
    }
    // One eye of the current pose, with or without the shadow pass.
    Image Eye(int shadows) {
        RenderShadows = shadows;
        RenderFrame(0);
        return m_context->ReadRgba();
    }
};

TEST_P(PlanarShadowTest, DarkensOnlyReceiverPixels) {
    ASSERT_TRUE(DancerLoaded && DancerShadow) << "no generated dancer and shadow copy";
    ShowClub = GetParam().showClub;
    ShowProps = 0;
    TickFrames(4);
    LookDownAtTheFloor();
    const Image plain = Eye(0);
    const Image shadowed = Eye(1);
    const auto stencil = ReadStencil(kWidth, kHeight);

    int darker = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const std::uint8_t* a = &plain[4 * i];
        const std::uint8_t* b = &shadowed[4 * i];
        if (ColorDistance(a, b) <= 6) continue;
        EXPECT_LT(Brightness(b), Brightness(a)) << "pixel " << i;
        EXPECT_NE(stencil[i] & 7, 0) << "changed outside the receivers: pixel " << i;
        ++darker;
    }
    EXPECT_GT(darker, 200);
}

TEST_P(PlanarShadowTest, WithoutCasterOrSwitchTheFrameIsUnchanged) {
    ShowClub = GetParam().showClub;
    TickFrames(4);
    LookDownAtTheFloor();
    const Image plain = Eye(0);
    CHumanObject* shadow = DancerShadow;
    DancerShadow = nullptr;
    const Image noCaster = Eye(1);
    DancerShadow = shadow;
    EXPECT_EQ(DifferingPixels(plain, noCaster, 0), 0);
    // The next eye starts from a clear stencil: the same frame again is the same image.
    const Image once = Eye(1);
    const Image again = Eye(1);
    EXPECT_EQ(DifferingPixels(once, again, 0), 0);
    GLint mask = 0, depthFunc = 0;
    glGetIntegerv(GL_STENCIL_WRITEMASK, &mask);
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(mask & 0xFF, 0xFF);
    EXPECT_EQ(depthFunc, GL_LESS);
}
INSTANTIATE_TEST_SUITE_P(Cases, PlanarShadowTest, ::testing::ValuesIn(kReceiverCases), CaseName());

// MirelB's translucent parts throw lighter shadows by dimming the lights for a moment.
class TranslucentShadowTest : public SceneFixture {
  protected:
    int StartDancer() const override { return 2; }
};

TEST_F(TranslucentShadowTest, LeavesTheLightsAsItFoundThem) {
    ASSERT_TRUE(DancerLoaded && DancerShadow) << "no generated MirelB and shadow copy";
    ActiveSpotCount = 5;
    TickFrames(4);
    float before[kSpotLightCount][3];
    for (int i = 0; i < kSpotLightCount; ++i) SpotLights[i]->GetColor(before[i]);
    RenderShadows = 0;
    RenderFrame(0);
    const Image plain = m_context->ReadRgba();
    RenderShadows = 1;
    RenderFrame(0);
    const Image shadowed = m_context->ReadRgba();
    EXPECT_GT(DifferingPixels(plain, shadowed), 100);
    for (int i = 0; i < kSpotLightCount; ++i) {
        float after[3];
        SpotLights[i]->GetColor(after);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(after[c], before[i][c]) << i;
        EXPECT_EQ(SpotLights[i]->IsEnabled(), 1) << i;
        EXPECT_EQ(glIsEnabled(GL_LIGHT0 + i), GL_TRUE) << i;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
