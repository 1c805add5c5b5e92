// The legs: planted ankles on every generated dancer in every style, the hip and twist walks'
// bounds, and the solution's behaviour at and beyond full reach.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "animation/dance_motion.h"
#include "tests/animation/dancing_dancer.h"
#include "tests/support/case_name.h"

namespace {

constexpr float kFrameMs = 20;
constexpr int kTwoMinutes = 2 * 60 * 1000 / static_cast<int>(kFrameMs);
const float kTwistLimit = DegToRad(14);

class PlantedFeet : public DancingDancer, public ::testing::WithParamInterface<GeneratedDancer> {
  protected:
    // The stance: where the ankles are drawn after the first step with the hips at rest.
    void Stance(float (*ankles)[3]) {
        SetStyle(kSilentStyle);
        m_dancer->Motion->SolveLegIK(kFrameMs);
        m_dancer->Motion->ComputeJointMatrices();
        DrawnOrigin(*m_dancer, 3, ankles[0]);
        DrawnOrigin(*m_dancer, 7, ankles[1]);
    }
};

TEST_P(PlantedFeet, AnklesStayOnTheirPointsInEveryStyle) {
    for (const DanceStyle& style : kDanceStyles) {
        std::srand(7);
        ASSERT_NE(Dance(GetParam().dancer), nullptr);
        float planted[2][3];
        Stance(planted);
        EXPECT_GT(std::fabs(planted[0][0] - planted[1][0]), 100) << "feet apart";
        SetStyle(style.weights);
        float worst = 0, rootTravel = 0;
        for (int frame = 0; frame < kTwoMinutes; ++frame) {
            DanceFrame(kFrameMs);
            float ankle[2][3];
            DrawnOrigin(*m_dancer, 3, ankle[0]);
            DrawnOrigin(*m_dancer, 7, ankle[1]);
            worst = std::fmax(
                worst, std::fmax(Distance3(ankle[0], planted[0]), Distance3(ankle[1], planted[1])));
            float travel;
            Vec3Length(m_dancer->RootTranslation, &travel);
            rootTravel = std::fmax(rootTravel, travel);
        }
        EXPECT_LT(worst, 1.0f) << style.name;
        // The hips did move (apart from in silence), so the legs really had to bend.
        if (style.weights.silent < 1) {
            EXPECT_GT(rootTravel, 10) << style.name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Generated, PlantedFeet, ::testing::ValuesIn(kGeneratedDancers),
                         CaseName());

class LegSolution : public DancingDancer {
  protected:
    void SetUp() override {
        DancingDancer::SetUp();
        std::srand(3);
        m_motion = Dance(0);
        ASSERT_NE(m_motion, nullptr);
    }

    CDanceMotion* m_motion = nullptr;
};

TEST_F(LegSolution, SilenceKeepsTheHipsAtRestAndStillBendsTheKnees) {
    SetStyle(kSilentStyle);
    m_motion->SolveLegIK(kFrameMs);
    for (float t : m_dancer->RootTranslation) EXPECT_EQ(t, 0);
    EXPECT_EQ(Joint(10).angles[1], 0);
    for (int knee : {2, 6}) EXPECT_LT(Joint(knee).angles[0], 0) << knee;
    // The feet stay level: each ankle takes back its thigh's and shin's turn.
    EXPECT_FLOAT_EQ(Joint(3).angles[0], -(Joint(1).angles[0] + Joint(2).angles[0]));
    EXPECT_FLOAT_EQ(Joint(7).angles[2], -(Joint(5).angles[2] + Joint(6).angles[2]));
}

struct ReachCase {
    const char* name;
    float footFromHip[3];  // the planted point, from the first leg's hip point
};
// The bones are 450 each in the generated dancers.
constexpr ReachCase kReachCases[] = {
    {"ExactlyFullReach", {0, -900, 0}},
    {"BeyondReach", {0, -2000, 300}},
    {"FootOnTheHip", {0, 0, 0}},
    {"NearerThanTheBonesAllow", {0, -1, 0}},
};

class LegReach : public LegSolution, public ::testing::WithParamInterface<ReachCase> {};

TEST_P(LegReach, GivesAStraightOrFiniteLeg) {
    const ReachCase& c = GetParam();
    SetStyle(kSilentStyle);
    m_motion->SolveLegIK(kFrameMs);  // measures the legs
    ASSERT_FLOAT_EQ(m_motion->ThighLength + m_motion->ShinLength, 900);
    Vec3Add(m_motion->HipPoint[0], c.footFromHip, m_motion->FootTarget[0]);
    m_motion->SolveLegIK(kFrameMs);
    float d;
    Vec3Length(c.footFromHip, &d);
    for (int joint : {1, 2, 3}) {
        EXPECT_TRUE(AllFinite(Joint(joint).angles, 3)) << joint;
    }
    if (d >= 900) {
        EXPECT_EQ(Joint(2).angles[0], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LegReach, ::testing::ValuesIn(kReachCases), CaseName());

TEST_F(LegSolution, WalksStayInsideTheirRangesAndTheSpineTwistsByTheBlend) {
    for (const DanceStyle& style : kDanceStyles) {
        SetStyle(style.weights);
        for (int frame = 0; frame < kTwoMinutes; ++frame) {
            m_motion->BeatWave[2] = std::sin(0.05f * static_cast<float>(frame));
            m_motion->BeatWave[3] = std::cos(0.05f * static_cast<float>(frame));
            m_motion->SolveLegIK(kFrameMs);
            const float* free = m_motion->FreeHipOffset;
            ASSERT_TRUE(free[0] >= -60 && free[0] <= 60) << frame;
            ASSERT_TRUE(free[1] >= -50 && free[1] <= 0) << frame;
            ASSERT_TRUE(free[2] >= -30 && free[2] <= 30) << frame;
            ASSERT_TRUE(m_motion->BeatHipDrop >= -50 && m_motion->BeatHipDrop <= 0) << frame;
            ASSERT_LE(std::fabs(m_motion->BeatHipDriftZ), 30) << frame;
            ASSERT_LE(std::fabs(m_motion->FreeTwist), kTwistLimit) << frame;
            ASSERT_LE(std::fabs(m_dancer->BeatTwistWalk), kTwistLimit) << frame;
            const float blend =
                style.weights.free * m_motion->FreeTwist + style.weights.beat * m_motion->BeatTwist;
            ASSERT_FLOAT_EQ(Joint(10).angles[1], 1.5f * blend) << style.name << frame;
        }
    }
    // The walks were not stuck at zero.
    EXPECT_NE(m_motion->FreeTwist, 0);
    EXPECT_NE(m_dancer->BeatTwistWalk, 0);
}

}  // namespace
