#include "audio/auto_gain.h"

#include <gtest/gtest.h>

#include "tests/support/case_name.h"

#include <cmath>

namespace {

class AutoGainTest : public ::testing::Test {
protected:
    void SetUp() override { ResetAutoGain(); }
};

struct GainCase {
    const char* name;
    float mean, peak;
    float target;  // the gain g that G moves a tenth of the way toward
};
const GainCase kGainCases[] = {
    {"TowardHalfMean", 0.2f, 0.3f, 2.5f},
    {"CappedAtFive", 0.01f, 0.05f, 5.0f},        // 50 capped; 5 x 0.05 is not above 1
    {"PeakMayNotPassOne", 0.25f, 0.8f, 1.25f},   // 2 x 0.8 > 1, so 1 / 0.8
    {"PeakLimitAfterCap", 0.02f, 0.5f, 2.0f},    // 25 -> 5 -> 5 x 0.5 > 1 -> 2
    {"LoudBlockAttenuates", 0.6f, 0.85f, 0.5f / 0.6f},
};
class AutoGainCaseTest : public AutoGainTest, public ::testing::WithParamInterface<GainCase> {};
TEST_P(AutoGainCaseTest, MovesATenthOfTheWayAndScalesTheBlock) {
    const GainCase& c = GetParam();
    float block[3] = {c.peak, -c.mean, 0.0f};
    AutoGain(block, 3, c.mean, c.peak);
    const float g = 0.1f * c.target;
    EXPECT_NEAR(AutoGainValue(), g, 1e-6f);
    EXPECT_NEAR(block[0], c.peak * g, 1e-6f);
    EXPECT_NEAR(block[1], -c.mean * g, 1e-6f);
}
INSTANTIATE_TEST_SUITE_P(Cases, AutoGainCaseTest, ::testing::ValuesIn(kGainCases), CaseName());

TEST_F(AutoGainTest, SilentBlockLeavesGainAndBlockAlone) {
    float primer[1] = {0.3f};
    AutoGain(primer, 1, 0.2f, 0.3f);  // G = 0.25
    const float before = AutoGainValue();
    float quiet[2] = {0.25f, -0.5f};
    AutoGain(quiet, 2, 0.0f, 0.0f);
    AutoGain(quiet, 2, 0.2f, 0.0f);  // all-negative block: no peak
    EXPECT_EQ(AutoGainValue(), before);
    EXPECT_EQ(quiet[0], 0.25f);
    EXPECT_EQ(quiet[1], -0.5f);
}

TEST_F(AutoGainTest, ReachesTwoThirdsOfTargetInTenBlocks) {
    float block[1];
    for (int i = 0; i < 10; ++i) {
        block[0] = 0.3f;
        AutoGain(block, 1, 0.2f, 0.3f);
    }
    const float reached = 1.0f - std::pow(0.9f, 10.0f);  // 0.651
    EXPECT_NEAR(AutoGainValue(), 2.5f * reached, 1e-5f);
    EXPECT_NEAR(block[0], 0.3f * 2.5f * reached, 1e-5f);
}

}  // namespace
