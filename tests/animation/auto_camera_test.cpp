#include "animation/auto_camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <set>

#include "animation/camera.h"
#include "model/vec_math.h"
#include "tests/animation/scene_doubles.h"
#include "tests/support/case_name.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

// The director's cameras as scene start-up makes them, pointed at by the director's globals.
class DirectorScene : public ::testing::Test {
protected:
    void SetUp() override {
        CameraMode = 0;
        Paused = 0;
        AutoCameras = {&m_first, &m_second};
        ManualCamera = &m_manual;
        ActiveAutoCamera = 0;
        AutoCameraTimer = kAutoCameraTimerStart;
        m_first.SetAzimuthLimits(DegToRad(45), DegToRad(135));
    }
    void TearDown() override {
        AutoCameras = {nullptr, nullptr};
        ManualCamera = nullptr;
        CamAdjustDialog = nullptr;
        ActiveAutoCamera = 0;
        AutoCameraTimer = kAutoCameraTimerStart;
    }

    ViewStateGuard m_view;
    CCamera m_manual{DegToRad(90), DegToRad(96), 3000, 30};
    CCamera m_first{DegToRad(90), DegToRad(96), 3000, 30};
    CCamera m_second{DegToRad(100), DegToRad(60), 2000, 10};
};

// A seed whose first rand() draws the given state of a two-state timer.
unsigned SeedDrawingState(int state) {
    for (unsigned seed = 1;; ++seed) {
        std::srand(seed);
        if ((std::rand() >= (1 << 30)) == (state == 1)) return seed;
    }
}

bool SameCamera(const CCamera& a, const CCamera& b) {
    return a.polar == b.polar && a.azimuth == b.azimuth && a.distance == b.distance &&
           a.fov == b.fov && a.azimuthVelocity == b.azimuthVelocity;
}

struct HoldCase {
    const char* name;
    int mode;
    int paused;
};
constexpr HoldCase kHoldCases[] = {
    {"Paused", 0, 1},
    {"ManualCamera", 1, 0},
    {"VirtualRealityCamera", 2, 0},
};

class DirectorHold : public DirectorScene, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(DirectorHold, ChangesNothingIncludingTheTimer) {
    CameraMode = GetParam().mode;
    Paused = GetParam().paused;
    AutoCameraTimer.remaining = 0.0f;  // would fire now
    const CCamera first = m_first, second = m_second;
    for (int i = 0; i < 100; ++i) AutoCameraTick(16.0f);
    EXPECT_EQ(AutoCameraTimer.remaining, 0.0f);
    EXPECT_EQ(AutoCameraTimer.index, 1);
    EXPECT_EQ(ActiveAutoCamera, 0);
    EXPECT_TRUE(SameCamera(m_first, first));
    EXPECT_TRUE(SameCamera(m_second, second));
}

INSTANTIATE_TEST_SUITE_P(Cases, DirectorHold, ::testing::ValuesIn(kHoldCases), CaseName());

struct CutCase {
    const char* name;
    int drawnState;
    float dtMs;
    int wantActive;
    bool resetsSecond;  // the off-screen camera's orbit stops and jumps back half a turn
};
constexpr CutCase kCutCases[] = {
    {"ToSecondCamera", 1, 15.0f, 1, false},
    {"ToFirstCameraAt15MsStopsTheSecond", 0, 15.0f, 0, true},  // 1500 is divisible by 3
    {"ToFirstCameraAt16MsLeavesTheSecond", 0, 16.0f, 0, false},
    {"ToFirstCameraAt16Point5MsStopsTheSecond", 0, 16.5f, 0, true},  // 1650
};

class DirectorCut : public DirectorScene, public ::testing::WithParamInterface<CutCase> {};

TEST_P(DirectorCut, PicksTheDrawnCameraAndSometimesStopsTheOtherOrbit) {
    const CutCase c = GetParam();
    ActiveAutoCamera = static_cast<std::int16_t>(1 - c.wantActive);
    AutoCameraTimer.remaining = 0.0f;
    m_second.azimuth = 4.0f;
    m_second.azimuthVelocity = 1.0f;
    std::srand(SeedDrawingState(c.drawnState));
    AutoCameraTick(c.dtMs);

    EXPECT_EQ(ActiveAutoCamera, c.wantActive);
    EXPECT_EQ(AutoCameraTimer.index, c.drawnState);
    EXPECT_GE(AutoCameraTimer.remaining, 2.0f);
    EXPECT_LE(AutoCameraTimer.remaining, 4.0f);
    // After the cut both cameras still drift in the same call: one random kick of speed.
    const float kick = 0.0175f;
    const float wantSpeed = c.resetsSecond ? 0.0f : 1.0f;
    EXPECT_NEAR(m_second.azimuthVelocity, wantSpeed, kick);
    const float wantAzimuth =
        (c.resetsSecond ? 4.0f - 3.1415927f : 4.0f) + wantSpeed * c.dtMs / 1000;
    EXPECT_NEAR(m_second.azimuth, wantAzimuth, kick * c.dtMs / 1000 + 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(Cases, DirectorCut, ::testing::ValuesIn(kCutCases), CaseName());

// Ten minutes at random frame steps: the director's cuts and the cameras' limits.
TEST_F(DirectorScene, TenMinutesStayInsideTheLimitsAndLookAtTheDancer) {
    const float focus[3] = {0.0f, 1100.0f, 0.0f};
    PlacedDancer dancer(focus);
    std::srand(1);
    std::mt19937 steps(2);
    std::uniform_real_distribution<float> step(5.0f, 60.0f);

    double time = 0, lastCut = 0;
    int cuts = 0;
    std::set<int> shown;
    double minShot = 1e9, maxShot = 0;
    float firstAzimuthSeen[2] = {m_first.azimuth, m_second.azimuth};
    bool drifted[2] = {false, false};
    while (time < 600000.0) {
        const float dt = step(steps);
        const float remainingBefore = AutoCameraTimer.remaining;
        AutoCameraTick(dt);
        time += dt;
        if (remainingBefore <= 0.0f) {  // the timer fired in this tick
            ++cuts;
            if (cuts > 1) {
                minShot = std::fmin(minShot, time - lastCut);
                maxShot = std::fmax(maxShot, time - lastCut);
            }
            lastCut = time;
        }
        shown.insert(ActiveAutoCamera);
        for (int k = 0; k < 2; ++k) {
            CCamera& camera = *AutoCameras[k];
            ASSERT_GE(camera.distance, camera.distanceMin) << "camera " << k << " at " << time;
            ASSERT_LE(camera.distance, camera.distanceMax) << "camera " << k << " at " << time;
            ASSERT_GE(camera.fov, camera.fovMin) << "camera " << k << " at " << time;
            ASSERT_LE(camera.fov, camera.fovMax) << "camera " << k << " at " << time;
            ASSERT_GE(camera.polar, camera.polarMin) << "camera " << k << " at " << time;
            ASSERT_LE(camera.polar, camera.polarMax) << "camera " << k << " at " << time;
            const float azMin = k == 0 ? DegToRad(45) : 0.0f;
            const float azMax = k == 0 ? DegToRad(135) : kTwoPi;
            ASSERT_GE(camera.azimuth, azMin) << "camera " << k << " at " << time;
            ASSERT_LE(camera.azimuth, azMax) << "camera " << k << " at " << time;
            if (camera.azimuth != firstAzimuthSeen[k]) drifted[k] = true;

            float eye[3], back[3], up[3];
            camera.ComputeView(eye, back, up, 0);
            ASSERT_GE(eye[1], 200.0f);
            ASSERT_LE(eye[1], 2900.0f);
            // The view looks straight at the dancer, raised for head room only.
            ASSERT_FLOAT_EQ(camera.target[0], focus[0]);
            ASSERT_FLOAT_EQ(camera.target[2], focus[2]);
            ASSERT_GE(camera.target[1], focus[1]);
            float toEye[3], toEyeUnit[3];
            Vec3Sub(eye, camera.target, toEye);
            Vec3Normalize(toEye, toEyeUnit);
            for (int i = 0; i < 3; ++i) ASSERT_NEAR(back[i], toEyeUnit[i], 1e-5f);
            ASSERT_NEAR(back[0] * up[0] + back[1] * up[1] + back[2] * up[2], 0.0f, 1e-5f);
            ASSERT_GT(up[1], 0.0f);
        }
    }
    // A cut every 2 to 4 seconds (plus the frame that notices it).
    EXPECT_GE(cuts, 600 / 4);
    EXPECT_LE(cuts, 600 / 2 + 1);
    EXPECT_GE(minShot, 2000.0);
    EXPECT_LE(maxShot, 4000.0 + 2 * 60.0);
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_TRUE(drifted[0] && drifted[1]);
}

class FakePad : public CamAdjustButtons {
public:
    FakePad(std::initializer_list<int> held) : m_held(held) {}
    bool IsButtonPushed(int controlId) const override { return m_held.count(controlId) != 0; }

private:
    std::set<int> m_held;
};

enum class Change {
    DistanceUp,
    DistanceDown,
    AzimuthUp,
    AzimuthDown,
    FovUp,
    FovDown,
    PolarUp,
    PolarDown,
    None
};
struct PadCase {
    const char* name;
    std::initializer_list<int> held;
    int mode;
    Change want;
};
const PadCase kPadCases[] = {
    {"InMovesAway", {1010}, 1, Change::DistanceUp},
    {"OutMovesCloser", {1009}, 1, Change::DistanceDown},
    {"LeftTurnsTheAzimuthUp", {1011}, 1, Change::AzimuthUp},
    {"RightTurnsTheAzimuthDown", {1012}, 1, Change::AzimuthDown},
    {"Wide", {1013}, 1, Change::FovUp},
    {"Narrow", {1014}, 1, Change::FovDown},
    {"Up", {1015}, 1, Change::PolarUp},
    {"Down", {1016}, 1, Change::PolarDown},
    {"TwoHeldOnlyTheFirstInOrderActs", {1016, 1013}, 1, Change::FovUp},
    {"UpInAutomaticModeDoesNothing", {1015}, 0, Change::None},
    {"NothingHeld", {}, 1, Change::None},
};

class CamPadPoll : public DirectorScene, public ::testing::WithParamInterface<PadCase> {};

TEST_P(CamPadPoll, HeldButtonMovesTheManualCamera) {
    const PadCase c = GetParam();
    FakeKeyClock clock;
    FakePad pad(c.held);
    CamAdjustDialog = &pad;
    CameraMode = c.mode;
    const CCamera before = m_manual;
    FakeKeyClock::now = 1000.0f;
    m_manual.UpdateFrameTime();
    FakeKeyClock::now = 1100.0f;
    PollCamAdjustButtons();

    const float d[] = {m_manual.distance - before.distance, m_manual.azimuth - before.azimuth,
                       m_manual.fov - before.fov, m_manual.polar - before.polar};
    float want[4] = {0, 0, 0, 0};
    switch (c.want) {
        case Change::DistanceUp:
            want[0] = 1;
            break;
        case Change::DistanceDown:
            want[0] = -1;
            break;
        case Change::AzimuthUp:
            want[1] = 1;
            break;
        case Change::AzimuthDown:
            want[1] = -1;
            break;
        case Change::FovUp:
            want[2] = 1;
            break;
        case Change::FovDown:
            want[2] = -1;
            break;
        case Change::PolarUp:
            want[3] = 1;
            break;
        case Change::PolarDown:
            want[3] = -1;
            break;
        case Change::None:
            break;
    }
    for (int i = 0; i < 4; ++i) {
        if (want[i] == 0)
            EXPECT_EQ(d[i], 0.0f) << i;
        else
            EXPECT_GT(d[i] * want[i], 0.0f) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CamPadPoll, ::testing::ValuesIn(kPadCases), CaseName());

TEST_F(DirectorScene, PollWithoutThePadDoesNothing) {
    CameraMode = 1;
    const CCamera before = m_manual;
    PollCamAdjustButtons();
    EXPECT_TRUE(SameCamera(m_manual, before));
}

}  // namespace
