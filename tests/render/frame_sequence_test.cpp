// Whole frames drawn in one GL context come out pixel for pixel the same in a second context
// of the same process: nothing that the drawing keeps between frames (display lists, texture
// objects, any cache) may carry over from a context that is gone.

#include <gtest/gtest.h>

#include "tests/render/frame_sequence.h"
#include "tests/support/case_name.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

struct SequenceCase {
    const char* name;
    SequenceSetup setup;
};
const SequenceCase kSequences[] = {
    {"OneSpotShadows", {kWidth, kHeight, 0, 1, 1, false}},
    {"ThreeSpotsShadows", {kWidth, kHeight, 2, 3, 1, false}},
    {"ThreeSpotsNoShadows", {kWidth, kHeight, 0, 3, 0, false}},
    {"FiveSpotsShadows", {kWidth, kHeight, 4, 5, 1, false}},
    {"FiveSpotsShadowsWindow", {kWidth, kHeight, 2, 5, 1, true}},
    {"FiveSpotsNoShadowsWindow", {kWidth, kHeight, 0, 5, 0, true}},
};

class FrameSequenceTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(FrameSequenceTest, SecondContextDrawsTheSameFrames) {
    const Frames first = DrawFrameSequence(GetParam().setup);
    ASSERT_EQ(first.size(), std::size(kSnapshotTicks)) << "no context or no Models/";
    const Frames second = DrawFrameSequence(GetParam().setup);
    ASSERT_EQ(second.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_TRUE(first[i] == second[i]) << "snapshot after " << kSnapshotTicks[i] << " ticks";
    }
    EXPECT_FALSE(first[0] == first[2]) << "the dance and the cameras moved";
}
INSTANTIATE_TEST_SUITE_P(Frames, FrameSequenceTest, ::testing::ValuesIn(kSequences), CaseName());

}  // namespace
