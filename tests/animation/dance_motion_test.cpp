#include "animation/dance_motion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "model/vec_math.h"
#include "tests/animation/motion_fixture.h"
#include "tests/support/case_name.h"

namespace {

constexpr int kMirel = 0;

std::vector<PartTransform> SnapshotJoints(const CModelObject& model) {
    std::vector<PartTransform> joints;
    for (int i = 0; i < model.GetNodeCount(); ++i) {
        if (model.GetNode(i).transform != nullptr) joints.push_back(*model.GetNode(i).transform);
    }
    return joints;
}

void ExpectSamePose(const std::vector<PartTransform>& a, const std::vector<PartTransform>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t j = 0; j < a.size(); ++j) {
        for (int e = 0; e < 3; ++e) EXPECT_EQ(a[j].angles[e], b[j].angles[e]) << j << " " << e;
        for (int e = 0; e < 16; ++e) EXPECT_EQ(a[j].matrix[e], b[j].matrix[e]) << j << " " << e;
    }
}

float RandomStepMs() { return static_cast<float>(1 + std::rand() % 100); }

class DanceMotionTest : public MotionFixture {
  protected:
    void SetUp() override {
        MotionFixture::SetUp();
        LoadDancer(kMirel);
    }

    // Dances n frames of 16 ms with the phase moving on each.
    void Dance(int n) {
        for (int i = 0; i < n; ++i) {
            BeatPhase.store(std::fmod(BeatPhase.load() + 0.07f, 4.0f));
            m_dancer->AnimatorCall(16);
        }
    }
};

struct HoldCase {
    const char* name;
    float dt;
    bool phaseMoves;
};
constexpr HoldCase kHoldCases[] = {
    {"ZeroStep", 0, true},
    {"NegativeStep", -5, true},
    {"UnchangedPhase", 16, false},
};

class HoldsPose : public DanceMotionTest, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(HoldsPose, KeepsEveryAngleAndMatrixUntilTimeAndPhaseMove) {
    SetStyle(kFreeStyle);
    Dance(5);
    const float phase = BeatPhase.load();
    EXPECT_EQ(Motion().LastBeatPhase, phase);
    const std::vector<PartTransform> before = SnapshotJoints(*m_dancer);

    if (GetParam().phaseMoves) BeatPhase.store(phase + 0.1f);
    m_dancer->AnimatorCall(GetParam().dt);
    ExpectSamePose(SnapshotJoints(*m_dancer), before);
    EXPECT_EQ(Motion().LastBeatPhase, phase);

    // The gate opens again as soon as both move.
    BeatPhase.store(phase + 0.2f);
    m_dancer->AnimatorCall(16);
    EXPECT_EQ(Motion().LastBeatPhase, phase + 0.2f);
    EXPECT_NE(Joint(24).angles[0], before[24].angles[0]);
}

INSTANTIATE_TEST_SUITE_P(Cases, HoldsPose, ::testing::ValuesIn(kHoldCases), CaseName());

TEST_F(DanceMotionTest, PauseSavesThePoseOnceAndTremblesWithinTheBound) {
    SetStyle(kFreeStyle);
    Dance(30);
    const std::vector<PartTransform> danced = SnapshotJoints(*m_dancer);
    Paused = 1;
    const float limit = DegToRad(0.1f);
    const float steps[] = {16, 1, 100, 2500, 0};  // 2500 ms reaches the bound of the tremble
    for (int frame = 0; frame < 200; ++frame) {
        const float dt = frame < 5 ? steps[frame] : RandomStepMs();
        m_dancer->AnimatorCall(dt);
        const std::vector<PartTransform> now = SnapshotJoints(*m_dancer);
        const float bound = std::min(limit * dt / 1000.0f, limit) + 2e-7f;
        // The root (node 0) keeps its saved angles untouched.
        for (int e = 0; e < 3; ++e) EXPECT_EQ(now[0].restAngles[e], danced[0].restAngles[e]);
        for (std::size_t j = 1; j < now.size(); ++j) {
            for (int e = 0; e < 3; ++e) {
                const float saved = danced[j].angles[e];
                ASSERT_EQ(now[j].restAngles[e], saved) << "joint " << j << " frame " << frame;
                if (saved == 0.0f) {
                    ASSERT_EQ(now[j].angles[e], 0.0f) << "joint " << j;
                } else {
                    ASSERT_LE(std::fabs(now[j].angles[e] - saved), bound)
                        << "joint " << j << " axis " << e << " dt " << dt;
                }
            }
        }
    }
    EXPECT_EQ(Motion().WasDancing, 0);
    Paused = 0;
    Dance(1);
    EXPECT_EQ(Motion().WasDancing, 1);
}

TEST_F(DanceMotionTest, SilentModeLeavesFingersAndWristsAlone) {
    SetStyle(kFreeStyle);
    Dance(20);
    DanceMode.store(3);  // the free weight stays 1: the mode alone holds the hands
    const std::vector<PartTransform> before = SnapshotJoints(*m_dancer);
    Dance(50);
    for (int k : {25, 43}) {
        EXPECT_EQ(Joint(k).angles[0], before[k].angles[0]) << k;
        EXPECT_EQ(Joint(k).angles[1], before[k].angles[1]) << k;
    }
    for (int k = 26; k <= 38; ++k) {
        for (int e = 0; e < 3; ++e) {
            EXPECT_EQ(Joint(k).angles[e], before[k].angles[e]) << k;
            EXPECT_EQ(Joint(k + 18).angles[e], before[k + 18].angles[e]) << k + 18;
        }
    }
    EXPECT_NE(Joint(24).angles[0], before[24].angles[0]);  // while the elbows still dance
}

TEST(UpdateAnimator, WithoutALoadedModelDoesNothing) {
    CHumanObject empty;  // a load that failed leaves the model like this
    const float translation[3] = {empty.RootTranslation[0], empty.RootTranslation[1],
                                  empty.RootTranslation[2]};
    for (int paused : {0, 1}) {
        Paused = paused;
        BeatPhase.store(1.5f);
        empty.AnimatorCall(16);
    }
    Paused = 0;
    BeatPhase.store(0);
    EXPECT_EQ(empty.Motion->LastBeatPhase, 0.0f);
    EXPECT_EQ(empty.Motion->WasDancing, 1);
    for (int e = 0; e < 3; ++e) EXPECT_EQ(empty.RootTranslation[e], translation[e]);
}

struct WaveCase {
    const char* name;
    float phase;
    float waves[4];
};
const float kHalfRoot2 = std::sqrt(0.5f);
const WaveCase kWaveCases[] = {
    {"Phase0", 0, {0, 1, 0, -1}},
    {"Phase1", 1, {1, 0, -1, 0}},
    {"Phase2", 2, {0, -1, 0, 1}},
    {"Phase3", 3, {-1, 0, 1, 0}},
    {"BelowZero", -0.5f, {-kHalfRoot2, kHalfRoot2, kHalfRoot2, -kHalfRoot2}},
};

class BeatWaves : public ::testing::TestWithParam<WaveCase> {};

TEST_P(BeatWaves, PeakOnePhaseUnitApartWithAPeriodOfFour) {
    CDanceMotion motion(nullptr);
    BeatPhase.store(GetParam().phase);
    motion.UpdateBeatWaves();
    BeatPhase.store(0);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(motion.BeatWave[k], GetParam().waves[k], 1e-6f) << k;
}

INSTANTIATE_TEST_SUITE_P(Cases, BeatWaves, ::testing::ValuesIn(kWaveCases), CaseName());

TEST_F(DanceMotionTest, RootMovesByItsTranslationAfterItsRestMatrix) {
    Vec3Set(m_dancer->RootTranslation, 12, -34, 56);
    m_dancer->AnimatorCall(0);
    const PartTransform& root = Joint(0);
    for (int e = 0; e < 12; ++e) EXPECT_FLOAT_EQ(root.matrix[e], root.restMatrix[e]) << e;
    EXPECT_FLOAT_EQ(root.matrix[12], root.restMatrix[12] + 12);
    EXPECT_FLOAT_EQ(root.matrix[13], root.restMatrix[13] - 34);
    EXPECT_FLOAT_EQ(root.matrix[14], root.restMatrix[14] + 56);
}

TEST_F(DanceMotionTest, RootRotationTurnsBeforeTheRestMatrix) {
    Vec3Set(m_dancer->RootTranslation, 0, 0, 0);
    Vec3Set(m_dancer->RootRotation, 0.3f, -1.2f, 0.5f);
    m_dancer->AnimatorCall(0);
    float rotation[16];
    Mat4RotateXYZ(rotation, 0.3f, -1.2f, 0.5f);
    const float p[3] = {100, -50, 20};
    float turned[3], want[3], got[3];
    Mat4TransformPoint(p, rotation, turned);
    Mat4TransformPoint(turned, Joint(0).restMatrix, want);
    Mat4TransformPoint(p, Joint(0).matrix, got);
    for (int e = 0; e < 3; ++e) EXPECT_NEAR(got[e], want[e], 1e-3f) << e;
}

struct AimCase {
    const char* name;
    float aim1[3];
    float aim2[3];
};
constexpr AimCase kAimCases[] = {
    {"HangingAimsTurnNothing", {0, -1, 0}, {0, -1, 0}},
    {"FirstArmOwnAim", {0.6f, 0, 0.8f}, {0, -1, 0}},
    {"SecondArmOwnAim", {0, -1, 0}, {-0.6f, -0.8f, 0}},
};

class UpperArmAim : public DanceMotionTest, public ::testing::WithParamInterface<AimCase> {};

// The aim turns the upper arm by 1.6 times the cross product of down and the aim, before its
// own pose and rest matrix.
void ExpectAimed(const PartTransform& joint, const float* aim) {
    float posed[16], turn[16];
    Mat4RotateXYZ(posed, joint.angles[0], joint.angles[1], joint.angles[2]);
    Mat4Multiply(posed, joint.restMatrix, posed);
    Mat4RotateXYZ(turn, -1.6f * aim[2], 0, 1.6f * aim[0]);
    const float p[3] = {10, -200, 30};
    float turned[3], want[3], got[3];
    Mat4TransformPoint(p, turn, turned);
    Mat4TransformPoint(turned, posed, want);
    Mat4TransformPoint(p, joint.matrix, got);
    for (int e = 0; e < 3; ++e) EXPECT_NEAR(got[e], want[e], 1e-3f) << e;
}

TEST_P(UpperArmAim, TurnsEachUpperArmByItsOwnAim) {
    Joint(23).angles[0] = 0.2f;
    Joint(41).angles[2] = -0.3f;
    Vec3Set(m_dancer->ArmAim1, GetParam().aim1[0], GetParam().aim1[1], GetParam().aim1[2]);
    Vec3Set(m_dancer->ArmAim2, GetParam().aim2[0], GetParam().aim2[1], GetParam().aim2[2]);
    m_dancer->AnimatorCall(0);
    ExpectAimed(Joint(23), GetParam().aim1);
    ExpectAimed(Joint(41), GetParam().aim2);
}

TEST_F(DanceMotionTest, HangingAimGivesTheOrdinaryJointMatrix) {
    Joint(23).angles[1] = 0.4f;
    Vec3Set(m_dancer->ArmAim1, 0, -1, 0);
    m_dancer->AnimatorCall(0);
    float want[16];
    Mat4RotateXYZ(want, 0, 0.4f, 0);
    Mat4Multiply(want, Joint(23).restMatrix, want);
    for (int e = 0; e < 16; ++e) EXPECT_EQ(Joint(23).matrix[e], want[e]) << e;
}

INSTANTIATE_TEST_SUITE_P(Cases, UpperArmAim, ::testing::ValuesIn(kAimCases), CaseName());

}  // namespace
