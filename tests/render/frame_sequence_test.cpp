// Whole frames drawn in one GL context come out pixel for pixel the same in a second context
// of the same process: nothing that the drawing keeps between frames (display lists, texture
// objects, any cache) may carry over from a context that is gone.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "animation/view_options.h"
#include "render/scene_state.h"
#include "tests/render/render_fixture.h"
#include "tests/support/case_name.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

struct SequenceCase {
    const char* name;
    int dancer;
    int spots;
    int shadows;
    bool windowConfig;  // the program's 8-bit double-buffered configuration
};
const SequenceCase kSequences[] = {
    {"OneSpotShadows", 0, 1, 1, false},        {"ThreeSpotsShadows", 2, 3, 1, false},
    {"ThreeSpotsNoShadows", 0, 3, 0, false},   {"FiveSpotsShadows", 4, 5, 1, false},
    {"FiveSpotsShadowsWindow", 2, 5, 1, true}, {"FiveSpotsNoShadowsWindow", 0, 5, 0, true},
};

// Ticks before each snapshot: the first frame, then dance poses and camera positions further
// on, past automatic camera cuts.
constexpr int kSnapshotTicks[] = {3, 40, 400};

using Frames = std::vector<Image>;

// A fresh context and scene, the same clock from the same start, and the frames it draws.
Frames DrawSequence(const SequenceCase& c) {
    Frames frames;
    const auto context = GlContext::Create({kWidth, kHeight, 24, 8, c.windowConfig});
    if (!context) return frames;
    FakeFrameClock clock;
    FakeFrameClock::now = 1000.0f;
    std::srand(24);  // the dance and the light show draw from rand()
    auto scene = DemoScene::Create({kWidth, kHeight, c.dancer});
    if (!scene) return frames;
    ActiveSpotCount = c.spots;
    RenderShadows = c.shadows;
    int ticked = 0;
    for (int ticks : kSnapshotTicks) {
        for (; ticked < ticks; ++ticked) {
            FakeFrameClock::now += 1000.0f / 60.0f;
            AnimateAndRenderFrame();
        }
        frames.push_back(context->ReadRgba());
        context->SwapBuffers();
    }
    scene.reset();
    FrameSound = {};
    FrameRt = {};
    return frames;
}

class FrameSequenceTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(FrameSequenceTest, SecondContextDrawsTheSameFrames) {
    const Frames first = DrawSequence(GetParam());
    ASSERT_EQ(first.size(), std::size(kSnapshotTicks)) << "no context or no Models/";
    const Frames second = DrawSequence(GetParam());
    ASSERT_EQ(second.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_TRUE(first[i] == second[i]) << "snapshot after " << kSnapshotTicks[i] << " ticks";
    }
    EXPECT_FALSE(first[0] == first[2]) << "the dance and the cameras moved";
}
INSTANTIATE_TEST_SUITE_P(Frames, FrameSequenceTest, ::testing::ValuesIn(kSequences), CaseName());

}  // namespace
