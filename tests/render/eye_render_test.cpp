#include "render/eye_render.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "animation/dancer_selection.h"
#include "animation/light_object.h"
#include "animation/light_show.h"
#include "animation/view_state.h"
#include "animation/view_options.h"
#include "render/render_options.h"
#include "render/frame_driver.h"
#include "render/scene_state.h"
#include "tests/render/render_fixture.h"
#include "tests/support/case_name.h"

namespace {

struct VersionCase {
    const char* name;
    const char* version;
    bool tooOld;
};
const VersionCase kVersionCases[] = {
    {"NoContextGivesNoString", nullptr, true},
    {"Empty", "", true},
    {"OneZero", "1.0", true},
    {"OneZeroWithRelease", "1.0.9", true},
    {"OneOne", "1.1", false},
    {"MesaCompatibility", "4.5 (Compatibility Profile) Mesa 22.3.6", false},
    {"ZeroNine", "0.9.9", true},
};
class VersionTest : public ::testing::TestWithParam<VersionCase> {};
TEST_P(VersionTest, BelowOneOneIsTooOld) {
    EXPECT_EQ(VersionTooOld(GetParam().version), GetParam().tooOld);
}
INSTANTIATE_TEST_SUITE_P(Cases, VersionTest, ::testing::ValuesIn(kVersionCases), CaseName());

struct StencilCase {
    const char* name;
    const char* renderer;
    int indexBits;
    int stencilBits;
    bool usable;
};
const StencilCase kStencilCases[] = {
    {"EightStencilBits", "llvmpipe (LLVM 15.0.6, 256 bits)", 0, 8, true},
    {"NoStencilBuffer", "llvmpipe (LLVM 15.0.6, 256 bits)", 0, 0, false},
    {"NoRendererString", nullptr, 0, 8, true},
    {"RivaIn16BitMode", "RIVA TNT2/AGP", 16, 8, true},
    {"RivaIn32BitMode", "RIVA 128", 32, 8, false},
};
class StencilTest : public ::testing::TestWithParam<StencilCase> {};
TEST_P(StencilTest, NeedsEightStencilBits) {
    const StencilCase& c = GetParam();
    EXPECT_EQ(StencilShadowsSupported(c.renderer, c.indexBits, c.stencilBits), c.usable);
}
INSTANTIATE_TEST_SUITE_P(Cases, StencilTest, ::testing::ValuesIn(kStencilCases), CaseName());

TEST(StatsOverlay, RateLineShowsAParenthesisedRateUntilTheWindowIsFull) {
    StatChoice = 3;
    FramesPerSecond = 59.94f;
    PolygonCount = 1234;
    VertexCount = 5678;
    FpsAveragingTime = 2.0f;
    EXPECT_EQ(StatsRateLine(), "(59.9) fps 1234 polygons 5678 verticies");
    FpsAveragingTime = 5.0f;
    EXPECT_EQ(StatsRateLine(), "59.9 fps 1234 polygons 5678 verticies");
    FramesPerSecond = 1e30f;  // bounded by the line's buffer
    EXPECT_LT(StatsRateLine().size(), 64u);
}

class EyeRenderTest : public SceneFixture {};

TEST_F(EyeRenderTest, ResizeKeepsTheSizeLineAndAtLeastOneRow) {
    FpsAveragingTime = 3.0f;
    ResizeScene(800, 600);
    EXPECT_EQ(StatsSizeLine(), "800x600 480000 pixels");
    EXPECT_EQ(FpsAveragingTime, 0.0f);
    ResizeScene(0, 0);
    EXPECT_EQ(StatsSizeLine(), "0x1 0 pixels");
    RenderFrame(0);  // a window without width still draws without a fault
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(EyeRenderTest, ContextChecksPassOnTheTestContext) {
    EXPECT_EQ(IsOpenGLVersionTooOld(), 0);
    EXPECT_EQ(CanUseStencilShadows(), 1);
}

TEST_F(EyeRenderTest, FullFrameShowsTheLitClub) {
    const Image image = FirstDrawnFrame();
    const int lit = CountPixels(image, kWidth, 0, 0, kWidth, kHeight,
                                [](const std::uint8_t* p) { return !IsBlack(p); });
    EXPECT_GT(lit, kWidth * kHeight / 2);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(EyeRenderTest, DancerCoversTheImageCentre) {
    if (!DancerLoaded) GTEST_SKIP() << "no generated dancer in Models/";
    const Image withDancer = FirstDrawnFrame();
    DancerLoaded = 0;
    TickFrames(1, 0.0f);
    const Image without = m_context->ReadRgba();
    const int centre = DifferingPixels(withDancer, without);
    EXPECT_GT(centre, kWidth * kHeight / 50);
    // Her pixels lie around the centre of the image, where the start camera looks.
    int sumX = 0, n = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * kWidth + x) * 4;
            if (ColorDistance(&withDancer[i], &without[i]) <= 24) continue;
            sumX += x;
            ++n;
        }
    }
    ASSERT_GT(n, 0);
    EXPECT_NEAR(sumX / n, kWidth / 2, kWidth / 8);
}

bool IsOverlayOrange(const std::uint8_t* p) {
    return p[0] > 230 && p[1] > 100 && p[1] < 160 && p[2] < 30;
}

TEST_F(EyeRenderTest, OverlayPrintsInOrangeAtTheLowerLeft) {
    ShowStats = 1;
    const Image image = FirstDrawnFrame();
    // Two lines of text from x = 10, baselines at y = 5 and 20.
    EXPECT_GT(CountPixels(image, kWidth, 10, 3, 200, 35, IsOverlayOrange), 60);
    EXPECT_EQ(CountPixels(image, kWidth, 0, 40, kWidth, kHeight, IsOverlayOrange), 0);
    ShowStats = 0;
    TickFrames(1);
    const Image plain = m_context->ReadRgba();
    EXPECT_EQ(CountPixels(plain, kWidth, 0, 0, kWidth, kHeight, IsOverlayOrange), 0);
}

TEST_F(EyeRenderTest, HiddenClubShowsTheFloorGridOnWhiteFromTheNextClear) {
    ShowClub = 0;
    const Image first = FirstDrawnFrame();
    const int top = kHeight - 2;
    EXPECT_TRUE(IsBlack(&first[(static_cast<std::size_t>(top) * kWidth + 2) * 4]));
    TickFrames(1);
    const Image second = m_context->ReadRgba();
    EXPECT_TRUE(IsWhite(&second[(static_cast<std::size_t>(top) * kWidth + 2) * 4]));
    // The grid lies below the view's centre line, lit and not white.
    const int floor = CountPixels(second, kWidth, 0, 0, kWidth, kHeight / 3,
                                  [](const std::uint8_t* p) { return !IsWhite(p); });
    EXPECT_GT(floor, kWidth * kHeight / 6);
}

TEST_F(EyeRenderTest, StereoEyesLookFromEitherSideOfTheCentre) {
    TickFrames(3);
    CameraMode = 1;
    auto eyeImage = [this](int eye) {
        RenderFrame(eye);
        return m_context->ReadRgba();
    };
    const Image centre = eyeImage(0);
    const Image left = eyeImage(1);
    const Image right = eyeImage(2);
    // Without stereo every eye draws into the back buffer.
    GLint buffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    EXPECT_EQ(buffer, GL_BACK);
    const int sides = DifferingPixels(left, right);
    EXPECT_GT(sides, kWidth * kHeight / 20);
    EXPECT_LT(DifferingPixels(centre, left), sides);
    EXPECT_LT(DifferingPixels(centre, right), sides);
}

// MirelB's translucent pass switches the main light off and on around her veil; under simple
// lighting the main light is off and must stay off, or the next eye is drawn brighter.
class TranslucentDancerTest : public SceneFixture {
  protected:
    int StartDancer() const override { return 2; }
};

TEST_F(TranslucentDancerTest, LeavesTheMainLightAsItFoundIt) {
    ASSERT_TRUE(DancerLoaded) << "no generated MirelB in Models/";
    SimpleLighting = 1;
    const Image ticked = FirstDrawnFrame();
    EXPECT_EQ(glIsEnabled(GL_LIGHT6), GL_FALSE);
    EXPECT_EQ(MainLight->IsEnabled(), 0);
    RenderFrame(0);  // the second eye of a stereo pair sees the same lights
    EXPECT_EQ(DifferingPixels(ticked, m_context->ReadRgba(), 0), 0);
}

}  // namespace
