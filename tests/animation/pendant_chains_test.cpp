// The pendant chains: counter-rotation and the second segments' bend, the swing's damping,
// and Ivret's ponytail pivot and mesh drag.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "animation/dance_motion.h"
#include "animation/dancer_rig.h"
#include "tests/animation/dancing_dancer.h"
#include "tests/support/case_name.h"

namespace {

float Deg(float d) { return DegToRad(d); }

class Chains : public DancingDancer {
  protected:
    const float* Angles(int joint) { return m_dancer->Motion->Joint(joint).angles; }
};

struct CounterCase {
    const char* name;
    float bendZ;     // degrees
    float joint15z;  // degrees, expected
    float joint17z;
};
constexpr CounterCase kCounterCases[] = {
    {"SmallLeanOnlyCounterRotates", 10, 0, 0},
    {"FarLeanToMinusZCopiesIntoJoint15", -35, 35, 0},
    {"FarLeanToPlusZCopiesIntoJoint17", 35, 0, -35},
    {"ExactlyMinus20KeepsTheBend", -20, 0, 0},
    {"ExactlyMinus30Copies", -30, 30, 0},
};

class ChainCounterRotation : public Chains, public ::testing::WithParamInterface<CounterCase> {};

TEST_P(ChainCounterRotation, WithoutSwingTheChainsTakeBackTheLean) {
    const CounterCase& c = GetParam();
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    motion->BeatWave[3] = 1;
    const float bendX = Deg(3);
    motion->SwingHairA(1, 0.1f, Deg(c.bendZ), bendX, 0);
    EXPECT_FLOAT_EQ(Angles(16)[2], Deg(c.bendZ));
    EXPECT_FLOAT_EQ(Angles(16)[0], bendX);
    EXPECT_FLOAT_EQ(Angles(14)[2], Deg(c.bendZ));
    EXPECT_FLOAT_EQ(Angles(14)[0], -bendX);
    EXPECT_NEAR(Angles(15)[2], Deg(c.joint15z), 1e-6f);
    EXPECT_NEAR(Angles(17)[2], Deg(c.joint17z), 1e-6f);
    EXPECT_EQ(Angles(15)[0], 0);
    EXPECT_EQ(Angles(17)[0], 0);
    EXPECT_FLOAT_EQ(Angles(18)[2], Deg(c.bendZ));
    EXPECT_FLOAT_EQ(Angles(18)[0], bendX);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChainCounterRotation, ::testing::ValuesIn(kCounterCases),
                         CaseName());

TEST_F(Chains, SecondSegmentBendIsContinuousAtMinus20) {
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    motion->BeatWave[3] = -1;  // S = -20 deg x fade, so joint 14 z = bendZ + S
    auto joint15At = [&](float joint14z) {
        const float swing = -Deg(20) * 0.25f;
        motion->SwingHairA(1, 0.1f, joint14z - swing, 0, 0.25f);
        return Angles(15)[2];
    };
    EXPECT_NEAR(joint15At(Deg(-20) + 1e-5f), joint15At(Deg(-20) - 1e-5f), 1e-4f);
    EXPECT_NEAR(joint15At(Deg(-25)), 0, 1e-5f);  // the factor passes through 0 halfway
}

struct SwingCase {
    const char* name;
    float twist;
    float scale;
    float want;  // joint 17 z, in units of 0.5 x 40 deg x w[3] x fade
};
constexpr SwingCase kSwingCases[] = {
    {"PositiveTwistIgnoresTheScale", 0.1f, 0.25f, 1},
    {"ZeroTwistIgnoresTheScale", 0, 0.25f, 1},
    {"NegativeTwistIsScaled", -0.1f, 0.25f, 0.25f},
};

class ChainSwing : public Chains, public ::testing::WithParamInterface<SwingCase> {};

TEST_P(ChainSwing, FollowsTheBarAndTheTwistSign) {
    const SwingCase& c = GetParam();
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    motion->BeatWave[3] = 0.5f;
    motion->SwingHairA(c.scale, c.twist, 0, 0, 0.8f);
    EXPECT_FLOAT_EQ(Angles(17)[2], Deg(20) * 0.5f * 0.8f * c.want);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChainSwing, ::testing::ValuesIn(kSwingCases), CaseName());

TEST_F(Chains, MirelHChainsMirrorEachOtherWithoutATurnAndStayFiniteWithoutLength) {
    CDanceMotion* motion = Dance(1);
    ASSERT_NE(motion, nullptr);
    motion->BeatWave[3] = 0;
    motion->SwingHairB(1, 0, 0, 0, 0, 1);
    EXPECT_FLOAT_EQ(Angles(15)[0], Angles(17)[0]);
    EXPECT_FLOAT_EQ(Angles(14)[0], Angles(16)[0]);
    EXPECT_EQ(Angles(14)[1], 0);
    motion->SwingHairB(1, 0, 0, 0, Deg(20), 1);
    EXPECT_FLOAT_EQ(Angles(14)[1], Deg(10));
    EXPECT_FLOAT_EQ(Angles(16)[1], Deg(10));
    motion->Joint(17).restMatrix[13] = 0;  // a chain with no length
    for (float yaw : {0.0f, Deg(20), Deg(-20)}) {
        motion->SwingHairB(1, 0, 0, 0, yaw, 1);
        for (int j = 14; j <= 17; ++j) EXPECT_TRUE(AllFinite(Angles(j), 3)) << j;
    }
}

class Ponytail : public Chains {
  protected:
    void SetUp() override {
        Chains::SetUp();
        m_motion = Dance(4);
        ASSERT_NE(m_motion, nullptr);
        m_part = DeformPart(*m_dancer, kDeformPendulum, true);
        ASSERT_NE(m_part, nullptr);
        m_motion->BeatWave[3] = 1;
    }
    const float* Rest15() { return RestTranslation(m_motion->Joint(15)); }

    CDanceMotion* m_motion = nullptr;
    CMeshPart* m_part = nullptr;
};

TEST_F(Ponytail, PivotDoesNotJumpOnTheFirstFrameWhereverTheModelPutsIt) {
    // Off the head's vertical axis, where a pivot rebuilt from the turn alone would jump.
    m_motion->Joint(14).restMatrix[12] = 30;
    m_motion->Joint(14).restMatrix[14] = 10;
    const std::vector<float> loaded(Rest15(), Rest15() + 3);
    m_motion->SwingHairC(1, 0, 0, 0, 0, 0);
    for (int a = 0; a < 3; ++a) EXPECT_FLOAT_EQ(Rest15()[a], loaded[a]) << a;
    // A turn moves the pivot with it and a turn back restores it: nothing accumulates.
    m_motion->SwingHairC(1, 0, 0, 0, Deg(20), 0);
    EXPECT_GT(std::fabs(Rest15()[0] - loaded[0]), 1);
    m_motion->SwingHairC(1, 0, 0, 0, 0, 0);
    for (int a = 0; a < 3; ++a) EXPECT_FLOAT_EQ(Rest15()[a], loaded[a]) << a;
}

TEST_F(Ponytail, SwingsOnlyTheSecondSegmentAndDragsOnlyHangingVertices) {
    const float yaw = Deg(15);
    m_motion->SwingHairC(1, 0, Deg(2), Deg(1), yaw, 0.5f);
    const float s = Deg(20) * 0.5f * 0.25f;
    EXPECT_FLOAT_EQ(Angles(15)[2], -s);
    EXPECT_FLOAT_EQ(Angles(15)[0], -0.5f * s);
    EXPECT_FLOAT_EQ(Angles(15)[1], yaw);
    EXPECT_FLOAT_EQ(Angles(14)[2], Deg(2));
    EXPECT_EQ(Angles(14)[1], 0);
    int dragged = 0;
    for (std::uint32_t i = 0; i < m_part->GetVertexCount(); ++i) {
        const float* base = m_part->GetBaseVertices() + 3 * i;
        const float* now = m_part->GetVertices() + 3 * i;
        ASSERT_TRUE(AllFinite(now, 3)) << i;
        if (base[1] >= 0) {
            for (int a = 0; a < 3; ++a) EXPECT_EQ(now[a], base[a]) << i;
        } else {
            dragged += now[0] != base[0] ? 1 : 0;
        }
    }
    EXPECT_GT(dragged, 0);
}

TEST_F(Ponytail, WithoutAUsablePartOnlyTheCounterTurnIsPosed) {
    const std::vector<float> loaded(Rest15(), Rest15() + 3);
    const std::vector<float> mesh(m_part->GetVertices(),
                                  m_part->GetVertices() + 3 * m_part->GetVertexCount());
    DeformPartIndex[kDeformPendulum] = -1;
    m_motion->SwingHairC(1, 0, Deg(2), Deg(1), Deg(15), 1);
    EXPECT_EQ(Angles(15)[0], 0);
    EXPECT_EQ(Angles(15)[2], 0);
    EXPECT_FLOAT_EQ(Angles(15)[1], Deg(15));
    for (int a = 0; a < 3; ++a) EXPECT_EQ(Rest15()[a], loaded[a]) << a;
    EXPECT_TRUE(std::equal(mesh.begin(), mesh.end(), m_part->GetVertices()));
}

TEST_F(Ponytail, ZeroLengthLeavesTheMeshAlone) {
    const std::vector<float> mesh(m_part->GetVertices(),
                                  m_part->GetVertices() + 3 * m_part->GetVertexCount());
    m_motion->Joint(15).restMatrix[13] = 0;
    m_motion->SwingHairC(1, 0, 0, 0, Deg(15), 1);
    EXPECT_TRUE(std::equal(mesh.begin(), mesh.end(), m_part->GetVertices()));
    EXPECT_TRUE(AllFinite(Angles(15), 3));
}

}  // namespace
