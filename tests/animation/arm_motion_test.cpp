#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "animation/dance_motion.h"
#include "model/vec_math.h"
#include "tests/animation/motion_fixture.h"
#include "tests/support/case_name.h"

namespace {

constexpr int kX = 0, kY = 1, kZ = 2;

void ExpectVec(const float* got, float x, float y, float z, float tolerance = 1e-6f) {
    EXPECT_NEAR(got[kX], x, tolerance);
    EXPECT_NEAR(got[kY], y, tolerance);
    EXPECT_NEAR(got[kZ], z, tolerance);
}

void ExpectUnit(const float* v, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    ExpectVec(v, x / length, y / length, z / length);
}

class ArmMotionTest : public MotionFixture {
  protected:
    void SetUp() override {
        MotionFixture::SetUp();
        LoadDancer(0);
    }
    void SetWaves(float w0, float w2) {
        Motion().BeatWave[0] = w0;
        Motion().BeatWave[1] = 0;
        Motion().BeatWave[2] = w2;
        Motion().BeatWave[3] = 0;
    }
};

TEST_F(ArmMotionTest, SilenceHangsBothArmsDownAndSlightlyOut) {
    // A new dancer's arms already hang so, and do not jump at her first step.
    ExpectUnit(m_dancer->ArmAim1, 1, -10, 0);
    ExpectUnit(m_dancer->ArmAim2, -1, -10, 0);
    for (int k : {22, 40}) Joint(k).angles[kZ] = 0.3f;
    for (int k : {24, 42}) Joint(k).angles[kX] = 0.5f;
    Motion().UpdateArms(16);
    ExpectUnit(m_dancer->ArmAim1, 1, -10, 0);
    ExpectUnit(m_dancer->ArmAim2, -1, -10, 0);
    for (int k : {22, 40}) EXPECT_EQ(Joint(k).angles[kZ], 0.0f) << k;
    for (int k : {24, 42}) EXPECT_EQ(Joint(k).angles[kX], 0.0f) << k;
}

struct RiseCase {
    const char* name;
    float target[3];  // the first arm's; the second arm's is its mirror image in x
    float rise;       // radians
    float aim[3];
};
const RiseCase kRiseCases[] = {
    {"AboveTheShoulderRaisesIt", {3, 5, 4}, DegToRad(45), {0.6f, 0, 0.8f}},
    {"LevelRaisesNothing", {3, 0, 4}, 0, {0.6f, 0, 0.8f}},
    {"BelowRaisesNothing", {0, -2, 0}, 0, {0, -1, 0}},
    {"StraightUpRaisesAQuarterTurn", {0.001f, 7, 0}, DegToRad(90), {1, 0, 0}},
};

class ShoulderRise : public ArmMotionTest, public ::testing::WithParamInterface<RiseCase> {};

TEST_P(ShoulderRise, TakesTheElevationAndLeavesTheArmAimLevel) {
    const RiseCase& c = GetParam();
    Vec3Set(Motion().SilentArmTarget1, c.target[kX], c.target[kY], c.target[kZ]);
    Vec3Set(Motion().SilentArmTarget2, -c.target[kX], c.target[kY], c.target[kZ]);
    Motion().UpdateArms(16);
    EXPECT_NEAR(Joint(22).angles[kZ], c.rise, 1e-3f);
    EXPECT_NEAR(Joint(40).angles[kZ], -c.rise, 1e-3f);
    ExpectVec(m_dancer->ArmAim1, c.aim[kX], c.aim[kY], c.aim[kZ], 1e-3f);
    ExpectVec(m_dancer->ArmAim2, -c.aim[kX], c.aim[kY], c.aim[kZ], 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShoulderRise, ::testing::ValuesIn(kRiseCases), CaseName());

struct SwingCase {
    const char* name;
    float w0, w2;
    bool firstAtHigh;  // the first arm at pose B, the second at the mirror of pose A
};
constexpr SwingCase kSwingCases[] = {
    {"FirstArmUp", -1, 1, true},
    {"SecondArmUp", 1, -1, false},
};

class BeatSwing : public ArmMotionTest, public ::testing::WithParamInterface<SwingCase> {};

// Pose B is above the shoulder (y > 0), so the raised arm's shoulder takes the rise.
float RiseOf(const float* pose) { return std::atan(pose[kY] / std::hypot(pose[kX], pose[kZ])); }

TEST_P(BeatSwing, ArmsAndElbowsSwingInOppositePhaseBetweenTheTwoPoses) {
    const SwingCase& c = GetParam();
    SetStyle(kBeatStyle);
    SetWaves(c.w0, c.w2);
    Motion().UpdateArms(16);
    const float* a = Motion().BeatArmPoseA;
    const float* b = Motion().BeatArmPoseB;
    const float* up = c.firstAtHigh ? Motion().BeatArmTarget1 : Motion().BeatArmTarget2;
    const float* down = c.firstAtHigh ? Motion().BeatArmTarget2 : Motion().BeatArmTarget1;
    const float side = c.firstAtHigh ? 1.0f : -1.0f;  // the second arm is mirrored in x
    ExpectVec(up, side * b[kX], b[kY], b[kZ], 1e-5f);
    ExpectVec(down, -side * a[kX], a[kY], a[kZ], 1e-5f);
    ASSERT_GT(b[kY], 0);
    EXPECT_EQ(a[kY], -10.0f);

    const float* upAim = c.firstAtHigh ? m_dancer->ArmAim1 : m_dancer->ArmAim2;
    const float* downAim = c.firstAtHigh ? m_dancer->ArmAim2 : m_dancer->ArmAim1;
    ExpectUnit(upAim, side * b[kX], 0, b[kZ]);
    ExpectUnit(downAim, -side * a[kX], a[kY], a[kZ]);
    EXPECT_NEAR(Joint(c.firstAtHigh ? 22 : 40).angles[kZ], side * RiseOf(b), 1e-5f);
    EXPECT_EQ(Joint(c.firstAtHigh ? 40 : 22).angles[kZ], 0.0f);

    const float low = Motion().BeatElbowLow;
    const float high = low + Motion().BeatElbowSpan;
    EXPECT_NEAR(Joint(24).angles[kX], c.firstAtHigh ? high : low, 1e-6f);
    EXPECT_NEAR(Joint(42).angles[kX], c.firstAtHigh ? low : high, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Cases, BeatSwing, ::testing::ValuesIn(kSwingCases), CaseName());

TEST_F(ArmMotionTest, BlendsTheStyleTargetsByTheirWeights) {
    SetStyle({0.2f, 0.3f, 0.5f, 1});
    SetWaves(1, -1);  // the first arm at the low pose, so every target stays below the shoulder
    Motion().UpdateArms(16);
    float want[3];
    for (int i = 0; i < 3; ++i) {
        want[i] = 0.2f * Motion().SilentArmTarget1[i] + 0.3f * Motion().FreeArmTarget1[i] +
                  0.5f * Motion().BeatArmTarget1[i];
    }
    ASSERT_LT(want[kY], 0);
    ExpectUnit(m_dancer->ArmAim1, want[kX], want[kY], want[kZ]);
    EXPECT_NEAR(Joint(24).angles[kX], 0.3f * Motion().FreeElbow1 + 0.5f * Motion().BeatElbow1,
                1e-6f);
    EXPECT_NEAR(Joint(42).angles[kX], 0.3f * Motion().FreeElbow2 + 0.5f * Motion().BeatElbow2,
                1e-6f);
}

TEST_F(ArmMotionTest, ATargetOfLengthZeroKeepsTheLastAim) {
    SetStyle({0, 0, 0, 1});
    Vec3Set(m_dancer->ArmAim1, 0.6f, -0.8f, 0);
    Vec3Set(m_dancer->ArmAim2, 0, -0.8f, 0.6f);
    Motion().UpdateArms(16);
    ExpectVec(m_dancer->ArmAim1, 0.6f, -0.8f, 0, 0);
    ExpectVec(m_dancer->ArmAim2, 0, -0.8f, 0.6f, 0);
}

TEST_F(ArmMotionTest, WristsFollowTheElbowsExceptInSilence) {
    SetStyle(kFreeStyle);
    for (std::int16_t mode : {3, 0}) {
        DanceMode.store(mode);
        Joint(25).angles[kX] = 0.11f;
        Joint(25).angles[kY] = 0.12f;
        Joint(43).angles[kX] = 0.13f;
        Joint(43).angles[kY] = 0.14f;
        Motion().UpdateArms(16);
        if (mode == 3) {
            EXPECT_EQ(Joint(25).angles[kX], 0.11f);
            EXPECT_EQ(Joint(25).angles[kY], 0.12f);
            EXPECT_EQ(Joint(43).angles[kX], 0.13f);
            EXPECT_EQ(Joint(43).angles[kY], 0.14f);
            continue;
        }
        EXPECT_NEAR(Joint(25).angles[kX], Joint(24).angles[kX] / 3 - DegToRad(20), 1e-6f);
        EXPECT_NEAR(Joint(43).angles[kX], Joint(42).angles[kX] / 3 - DegToRad(20), 1e-6f);
        EXPECT_LE(std::fabs(Joint(25).angles[kY]), DegToRad(20));
        EXPECT_EQ(Joint(43).angles[kY], -Joint(25).angles[kY]);
    }
}

TEST_F(ArmMotionTest, FirstFingerStepOpensEveryFingerToTheLeastCurl) {
    Motion().UpdateFingers(16);
    for (int k = 0; k < 12; ++k) {
        EXPECT_FLOAT_EQ(Joint(26 + k).angles[kZ], -DegToRad(20)) << 26 + k;
        EXPECT_FLOAT_EQ(Joint(44 + k).angles[kZ], DegToRad(20)) << 44 + k;
    }
    EXPECT_FLOAT_EQ(Joint(38).angles[kX], -DegToRad(20));
    EXPECT_FLOAT_EQ(Joint(56).angles[kX], -DegToRad(20));
}

// Ten minutes at 60 frames per second of each style in turn, with random frame steps and the
// phase moving two units per beat at 120 beats per minute.
struct StyleRun {
    const char* name;
    MotionStyle style;
    bool moves;
};
constexpr StyleRun kStyleRuns[] = {
    {"Silent", kSilentStyle, false},
    {"Free", kFreeStyle, true},
    {"Beat", kBeatStyle, true},
};
constexpr int kFramesPerRun = 10 * 60 * 60;
constexpr float kPhasePerMs = 2.0f / 500.0f;

struct Spread {
    float min = INFINITY, max = -INFINITY;
    void Add(float v) {
        min = std::min(min, v);
        max = std::max(max, v);
    }
    float Width() const { return max - min; }
};

bool Within(float v, float lo, float hi) { return v >= lo && v <= hi; }
bool Within(const float* v, const float (&lo)[3], const float (&hi)[3]) {
    for (int i = 0; i < 3; ++i) {
        if (!Within(v[i], lo[i], hi[i])) return false;
    }
    return true;
}

struct DancerCase {
    const char* name;
    int index;
};
constexpr DancerCase kDancerCases[] = {{"Mirel", 0}, {"MirelH", 1}, {"MirelB", 2}, {"Orlaq", 3},
                                       {"Ivret", 4}, {"Pemsa", 5},  {"Daxil", 6}};

class LongDance : public MotionFixture, public ::testing::WithParamInterface<DancerCase> {
  protected:
    // The first broken rule of this frame, or an empty string.
    std::string BrokenRule(const StyleRun& run, bool fingersCurled) {
        const CDanceMotion& m = Motion();
        for (int i = 0; i < m_dancer->GetNodeCount(); ++i) {
            const PartTransform* t = m_dancer->GetNode(i).transform;
            if (t == nullptr) continue;
            for (float e : t->matrix) {
                if (!std::isfinite(e)) return "matrix of node " + std::to_string(i);
            }
        }
        for (const float* aim : {m_dancer->ArmAim1, m_dancer->ArmAim2}) {
            float length;
            Vec3Length(aim, &length);
            if (std::fabs(length - 1) > 1e-5f || aim[kY] > 0) return "arm aim";
        }
        if (!Within(Joint(22).angles[kZ], 0, DegToRad(90))) return "first shoulder";
        if (!Within(Joint(40).angles[kZ], -DegToRad(90), 0)) return "second shoulder";
        if (run.style.free > 0) {
            if (!Within(m.FreeArmTarget1, {1, -10, -10}, {10, 9.5f, -1})) return "free target 1";
            if (!Within(m.FreeArmTarget2, {-10, -10, -10}, {-1, 9.5f, -1})) {
                return "free target 2";
            }
            if (!Within(m.FreeElbow1, 0, DegToRad(40))) return "free elbow 1";
            if (!Within(m.FreeElbow2, DegToRad(40), DegToRad(70))) return "free elbow 2";
        }
        if (run.style.beat > 0) {
            if (!Within(m.BeatArmPoseA, {1, -10, -10}, {10, -10, -1})) return "beat pose A";
            if (!Within(m.BeatArmPoseB, {5, -5, -10}, {10, 9.5f, -1})) return "beat pose B";
            if (!Within(m.BeatElbowLow, 0, DegToRad(40))) return "beat elbow low";
            if (!Within(m.BeatElbowSpan, DegToRad(40), DegToRad(70))) return "beat elbow span";
        }
        for (int k : {24, 42}) {
            if (!Within(Joint(k).angles[kX], 0, DegToRad(110))) return "elbow " + std::to_string(k);
        }
        if (!Within(Joint(25).angles[kY], -DegToRad(20), DegToRad(20)) ||
            Joint(43).angles[kY] != -Joint(25).angles[kY]) {
            return "wrist twist";
        }
        if (!fingersCurled) return "";
        for (int k = 0; k < 12; ++k) {
            const float curl = Joint(26 + k).angles[kZ];
            if (!Within(curl, -DegToRad(70), -DegToRad(20)) || Joint(44 + k).angles[kZ] != -curl) {
                return "finger " + std::to_string(26 + k);
            }
        }
        if (Joint(38).angles[kX] != -DegToRad(20) || Joint(56).angles[kX] != -DegToRad(20)) {
            return "thumbs";
        }
        return "";
    }
};

TEST_P(LongDance, EachStyleKeepsArmsAndFingersInTheirLimitsAndEveryMatrixFinite) {
    LoadDancer(GetParam().index);
    float phase = 0;
    bool fingersCurled = false;
    for (const StyleRun& run : kStyleRuns) {
        SetStyle(run.style);
        Spread aim1, aim2, elbow1, elbow2, wrist, finger;
        for (int frame = 0; frame < kFramesPerRun; ++frame) {
            const float dt = static_cast<float>(1 + std::rand() % 100);
            phase += dt * kPhasePerMs;
            while (phase >= 4) phase -= 4;
            BeatPhase.store(phase);
            m_dancer->AnimatorCall(dt);
            fingersCurled = fingersCurled || run.style.mode != 3;
            const std::string broken = BrokenRule(run, fingersCurled);
            ASSERT_EQ(broken, "") << run.name << " frame " << frame;
            aim1.Add(m_dancer->ArmAim1[kX]);
            aim2.Add(m_dancer->ArmAim2[kZ]);
            elbow1.Add(Joint(24).angles[kX]);
            elbow2.Add(Joint(42).angles[kX]);
            wrist.Add(Joint(25).angles[kY]);
            finger.Add(Joint(26).angles[kZ]);
        }
        std::ostringstream spread;
        spread << run.name << ": aims " << aim1.Width() << " " << aim2.Width() << ", elbows "
               << elbow1.Width() << " " << elbow2.Width() << ", wrist " << wrist.Width()
               << ", fingers " << finger.Width();
        SCOPED_TRACE(spread.str());
        if (!run.moves) {
            EXPECT_EQ(aim1.Width(), 0.0f);
            EXPECT_EQ(elbow1.Width(), 0.0f);
            EXPECT_EQ(finger.Width(), 0.0f);
            continue;
        }
        EXPECT_GT(aim1.Width(), 0.1f);
        EXPECT_GT(aim2.Width(), 0.1f);
        EXPECT_GT(elbow1.Width(), DegToRad(10));
        EXPECT_GT(elbow2.Width(), DegToRad(10));
        EXPECT_GT(wrist.Width(), DegToRad(10));
        EXPECT_GT(finger.Width(), DegToRad(10));
    }
}

INSTANTIATE_TEST_SUITE_P(Dancers, LongDance, ::testing::ValuesIn(kDancerCases), CaseName());

}  // namespace
