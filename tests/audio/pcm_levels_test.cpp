#include "audio/pcm_levels.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct FrameCase {
    const char* name;
    std::int16_t left, right;
    float want;
};
// A loud sample is beyond +-100; only loud samples count towards the divisor.
const FrameCase kFrameCases[] = {
    {"BothLoudAverage", 16384, 16384, 0.5f},
    {"OneLoudSumsBoth", 16384, 50, 0.5f + 50.0f / 32768.0f},
    {"BothQuietSum", 50, 50, 100.0f / 32768.0f},
    {"ExactlyHundredIsQuiet", 100, 100, 200.0f / 32768.0f},
    {"NegativeLoudAverage", -16384, -8192, -0.375f},
    {"OppositeLoudCancel", 16384, -16384, 0.0f},
};
class PcmToMonoFrameTest : public ::testing::TestWithParam<FrameCase> {};
TEST_P(PcmToMonoFrameTest, ConvertsOneFrame) {
    const FrameCase& c = GetParam();
    const std::int16_t src[] = {c.left, c.right};
    float dst = -99.0f, mean = -1.0f, peak = -1.0f;
    PcmToMono(src, &dst, 1, 2, &mean, &peak);
    EXPECT_NEAR(dst, c.want, 1e-6f);
    EXPECT_NEAR(mean, std::fabs(c.want), 1e-6f);
    EXPECT_NEAR(peak, c.want > 0.0f ? c.want : 0.0f, 1e-6f);  // only positive values raise it
}
INSTANTIATE_TEST_SUITE_P(Cases, PcmToMonoFrameTest, ::testing::ValuesIn(kFrameCases), CaseName());

TEST(PcmToMono, MeanIsOfAbsoluteValuesAndPeakOfPositiveOnes) {
    const std::int16_t src[] = {16384, 16384, -32768, -32768, 8192, 8192, 0, 0};
    float dst[4];
    float mean, peak;
    PcmToMono(src, dst, 4, 2, &mean, &peak);
    EXPECT_FLOAT_EQ(dst[1], -1.0f);
    EXPECT_FLOAT_EQ(mean, (0.5f + 1.0f + 0.25f + 0.0f) / 4.0f);
    EXPECT_FLOAT_EQ(peak, 0.5f);
}

TEST(PcmToMono, AllNegativeBlockHasNoPeak) {
    const std::int16_t src[] = {-1000, -20000};
    float dst[2], mean, peak;
    PcmToMono(src, dst, 2, 1, &mean, &peak);
    EXPECT_EQ(peak, 0.0f);
    EXPECT_GT(mean, 0.0f);
}

TEST(PcmToMono, NoFramesWritesNothingAndReportsSilence) {
    const std::int16_t src[] = {16384, 16384};
    float dst = 7.0f, mean = 3.0f, peak = 3.0f;
    PcmToMono(src, &dst, 0, 2, &mean, &peak);
    EXPECT_EQ(dst, 7.0f);
    EXPECT_EQ(mean, 0.0f);  // not 0 / 0
    EXPECT_EQ(peak, 0.0f);
}

}  // namespace
