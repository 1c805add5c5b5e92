// The spine sway: the variant timer and its cross-fade, the twist damping, the channels'
// bounds, and on every generated dancer the counter-lean that keeps the head over the feet.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "animation/dance_motion.h"
#include "tests/animation/dancing_dancer.h"
#include "tests/support/case_name.h"

namespace {

constexpr float kFrameMs = 20;

class BodySway : public DancingDancer {
  protected:
    CDanceMotion* Dance(int index) {
        std::srand(5);
        return DancingDancer::Dance(index);
    }
    void Sway(int frames) {
        for (int i = 0; i < frames; ++i) m_dancer->Motion->UpdateBodySway(kFrameMs);
    }
};

TEST_F(BodySway, OutsideTheBeatModeOnlyTheRandomSwayRuns) {
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    for (const DanceStyle& style : {kDanceStyles[0], kDanceStyles[1]}) {
        SetStyle(style.weights);
        m_dancer->StepTimer.index = 0;  // the timer's choice counts only while a beat is danced
        Sway(500);
        EXPECT_EQ(motion->StepVariant, 1) << style.name;
        EXPECT_EQ(motion->RandomSwayWeight, 1) << style.name;
        EXPECT_EQ(motion->BeatSwayWeight, 0) << style.name;
    }
}

TEST_F(BodySway, TheBeatSwayFadesInOverTwoSecondsOnceTheTimerPicksIt) {
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    SetStyle(kBeatStyle);
    // A new dancer starts on the random sway; the timer's first choice comes after 4 s.
    Sway(static_cast<int>(3900 / kFrameMs));
    EXPECT_EQ(motion->StepVariant, 1);
    EXPECT_EQ(motion->RandomSwayWeight, 1);
    m_dancer->StepTimer.index = 0;
    m_dancer->StepTimer.remaining = 60;
    Sway(static_cast<int>(1900 / kFrameMs));
    EXPECT_GT(motion->BeatSwayWeight, 0.9f);
    EXPECT_LT(motion->BeatSwayWeight, 1);
    Sway(static_cast<int>(200 / kFrameMs));
    EXPECT_EQ(motion->BeatSwayWeight, 1);
    EXPECT_EQ(motion->RandomSwayWeight, 0);
}

struct DampingCase {
    const char* name;
    float twistWalkDegrees;
    float beatScale;    // of 0.5 x 40 deg x w[2]
    float randomScale;  // of the random twist's limit, 20 deg
};
constexpr DampingCase kDampingCases[] = {
    {"NoTwist", 0, 1, 1},
    {"TwoDegreesIsTheKnee", -2, 1, 1},
    {"NegativeFullTwistDampsTheBeat", -14, 0.125f, 0.125f},
    {"PositiveFullTwistOnlyNarrowsTheRandomSway", 14, 1, 0.125f},
    {"HalfwayDown", -8, 0.5625f, 0.5625f},
};

class TwistDamping : public BodySway, public ::testing::WithParamInterface<DampingCase> {};

TEST_P(TwistDamping, ScalesTheBeatTwistOnlyWhileTheWalkIsNegative) {
    const DampingCase& c = GetParam();
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    SetStyle(kBeatStyle);
    m_dancer->BeatTwistWalk = DegToRad(c.twistWalkDegrees);
    motion->BeatSwayWeight = 0.5f;
    motion->RandomSwayWeight = 0.5f;
    motion->BeatWave[2] = 0.8f;
    float widest = 0;
    for (int i = 0; i < 3000; ++i) {
        motion->UpdateBodySway(kFrameMs);
        widest = std::fmax(widest, std::fabs(motion->SpineSway[0].random));
        ASSERT_LE(std::fabs(motion->SpineSway[1].random), DegToRad(20) * c.randomScale + 1e-6f);
    }
    EXPECT_NEAR(motion->SpineSway[0].beat, 0.5f * DegToRad(40) * 0.8f * c.beatScale, 1e-6f);
    EXPECT_NEAR(motion->SpineSway[1].beat, motion->SpineSway[0].beat, 1e-7f);
    EXPECT_LE(widest, DegToRad(20) * c.randomScale + 1e-6f);
    EXPECT_GT(widest, DegToRad(20) * c.randomScale * 0.5f) << "the walk reaches out";
}

INSTANTIATE_TEST_SUITE_P(Cases, TwistDamping, ::testing::ValuesIn(kDampingCases), CaseName());

TEST_F(BodySway, ChannelsAndTwistsStayInsideTheirLimits) {
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    for (const DanceStyle& style : kDanceStyles) {
        SetStyle(style.weights);
        for (int i = 0; i < 6000; ++i) {
            motion->BeatWave[2] = std::sin(0.07f * static_cast<float>(i));
            motion->Joint(10).angles[1] = DegToRad(30) * std::sin(0.01f * static_cast<float>(i));
            motion->UpdateBodySway(kFrameMs);
            for (int j : {11, 12}) {
                ASSERT_LE(std::fabs(motion->Joint(j).angles[1]), DegToRad(20) + 1e-6f) << i;
            }
            for (int c = 2; c < 6; ++c) {
                ASSERT_LE(std::fabs(motion->SpineSway[c].random), DegToRad(2.5f) + 1e-6f) << i;
            }
        }
    }
}

TEST_F(BodySway, HipsAtRestLeaveTheLowerSpineUpright) {
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    SetStyle(kSilentStyle);
    CDanceMotion::SetVector(m_dancer->RootTranslation, 0, 0, 0);
    Sway(10);
    for (int j : {9, 10}) {
        EXPECT_NEAR(motion->Joint(j).angles[0], 0, 1e-6f) << j;
        EXPECT_NEAR(motion->Joint(j).angles[2], 0, 1e-6f) << j;
    }
}

TEST_F(BodySway, OrlaqAndPemsaHaveNoChainsToPose) {
    for (int kind : {3, 5}) {
        CDanceMotion* motion = Dance(kind);
        ASSERT_NE(motion, nullptr);
        SetStyle(kBeatStyle);
        motion->BeatSwayWeight = 1;
        motion->BeatWave[3] = 1;
        for (int j = 14; j <= 18; ++j) CDanceMotion::SetVector(motion->Joint(j).angles, 1, 2, 3);
        Sway(20);
        for (int j = 14; j <= 18; ++j) {
            EXPECT_EQ(motion->Joint(j).angles[0], 1) << kind << " joint " << j;
            EXPECT_EQ(motion->Joint(j).angles[2], 3) << kind << " joint " << j;
        }
    }
}

// The hip offsets move the whole upper body with the root; the lower spine's counter-lean
// must bring the head back toward the feet, never push it further out.

class HeadOverFeet : public BodySway, public ::testing::WithParamInterface<GeneratedDancer> {};

// Head point drawn after the sway with that root translation, the sway itself held still: the
// beat variant on a level wave.
void HeadWith(CHumanObject* dancer, float x, float z, float* head) {
    CDanceMotion* motion = dancer->Motion.get();
    dancer->StepTimer.index = 0;
    dancer->StepTimer.remaining = 1000;
    motion->RandomSwayWeight = 0;
    motion->BeatWave[2] = 0;
    CDanceMotion::SetVector(dancer->RootTranslation, x, 0, z);
    motion->UpdateBodySway(kFrameMs);
    motion->ComputeJointMatrices();
    DrawnOrigin(*dancer, 13, head);
}

TEST_P(HeadOverFeet, AHipOffsetLeansTheHeadBackOrNotAtAll) {
    CDanceMotion* motion = Dance(GetParam().dancer);
    ASSERT_NE(motion, nullptr);
    SetStyle(kBeatStyle);
    float rest[3];
    HeadWith(m_dancer.get(), 0, 0, rest);
    for (float offset : {60.0f, 30.0f, -45.0f}) {
        float head[3];
        HeadWith(m_dancer.get(), offset, 0, head);
        EXPECT_LE((head[0] - rest[0]) * offset, 1e-3f) << "x offset " << offset;
        // The hips moved her out; the head comes back part of the way, not beyond the rest.
        EXPECT_LT(std::fabs(head[0] - rest[0]), std::fabs(offset)) << "x offset " << offset;
    }
}

INSTANTIATE_TEST_SUITE_P(Generated, HeadOverFeet, ::testing::ValuesIn(kGeneratedDancers),
                         CaseName());

}  // namespace
