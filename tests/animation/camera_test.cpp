#include "animation/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "animation/view_options.h"
#include "model/vec_math.h"
#include "tests/animation/scene_doubles.h"
#include "tests/support/case_name.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr float kFocus[3] = {120.0f, 1100.0f, -40.0f};

double Rad(double degrees) { return degrees * kPi / 180.0; }

// The eye of an orbit at (polar, azimuth, distance) around focus, y up, before any clamp.
void OrbitPoint(const float* focus, double polar, double azimuth, double distance, double* out) {
    out[0] = focus[0] + distance * std::cos(azimuth) * std::sin(polar);
    out[1] = focus[1] - distance * std::cos(polar);
    out[2] = focus[2] + distance * std::sin(azimuth) * std::sin(polar);
}

double Dot(const float* a, const float* b) {
    return double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2];
}
double Length(const float* v) { return std::sqrt(Dot(v, v)); }

class StereoSettings {
public:
    StereoSettings(float scale, int invert) {
        Stereo3DScale = scale;
        Stereo3DInvert = invert;
    }
    ~StereoSettings() {
        Stereo3DScale = 1.0f;
        Stereo3DInvert = 1;
    }
    StereoSettings(const StereoSettings&) = delete;
    StereoSettings& operator=(const StereoSettings&) = delete;
};

TEST(CameraView, CentreEyeLiesOnTheOrbitWithUnitBackAndUprightPerpendicularUp) {
    PlacedDancer dancer(kFocus);
    CCamera camera(float(Rad(95)), float(Rad(30)), 2500.0f, 30.0f);
    float eye[3], back[3], up[3];
    camera.ComputeView(eye, back, up, 0);

    double want[3];
    OrbitPoint(kFocus, Rad(95), Rad(30), 2500.0, want);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(eye[i], want[i], 0.05) << i;
    // The target sits straight above the focus point (head room may raise it).
    EXPECT_FLOAT_EQ(camera.target[0], kFocus[0]);
    EXPECT_FLOAT_EQ(camera.target[2], kFocus[2]);
    EXPECT_GE(camera.target[1], kFocus[1]);
    EXPECT_NEAR(Length(back), 1.0, 1e-6);
    EXPECT_NEAR(Length(up), 1.0, 1e-6);
    EXPECT_NEAR(Dot(back, up), 0.0, 1e-6);
    EXPECT_GT(up[1], 0.0f);
    float toEye[3];
    Vec3Sub(eye, camera.target, toEye);
    const double toEyeLength = Length(toEye);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(back[i], toEye[i] / toEyeLength, 1e-6) << i;
}

struct StereoCase {
    const char* name;
    float scale;
    int invert;
    float fov;
    float distance;
};
constexpr StereoCase kStereoCases[] = {
    {"ScaleOne", 1.0f, 1, 30.0f, 3000.0f},
    {"Inverted", 1.0f, -1, 30.0f, 3000.0f},
    {"WideSeparationNarrowView", 2.0f, 1, 15.0f, 1500.0f},
    {"HalfSeparationWideView", 0.5f, 1, 60.0f, 8000.0f},
};

class CameraStereo : public ::testing::TestWithParam<StereoCase> {};

TEST_P(CameraStereo, EyesTurnAboutTheTargetByTheStereoAngleAndMeetAtOnePoint) {
    const StereoCase c = GetParam();
    PlacedDancer dancer(kFocus);
    StereoSettings stereo(c.scale, c.invert);
    const double polar = Rad(90), azimuth = Rad(96);
    CCamera camera(float(polar), float(azimuth), c.distance, c.fov);

    const double ratio = std::tan(Rad(15)) / std::tan(Rad(c.fov) / 2);
    const double a = std::atan(c.scale * 65.5 * ratio / (c.distance * 1.6)) * c.invert;
    float eye[3], back[3], up[3];
    float targets[2][3];
    for (int e = 1; e <= 2; ++e) {
        camera.ComputeView(eye, back, up, e);
        double want[3];
        OrbitPoint(kFocus, polar, e == 1 ? azimuth + a : azimuth - a, c.distance, want);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(eye[i], want[i], 0.05) << "eye " << e << " axis " << i;
        for (int i = 0; i < 3; ++i) targets[e - 1][i] = camera.target[i];
    }
    // Both eyes look at the centre target pulled toward the centre eye.
    float centreEye[3], centreBack[3], centreUp[3];
    camera.ComputeView(centreEye, centreBack, centreUp, 0);
    for (int i = 0; i < 3; ++i) {
        const double want = camera.target[i] + centreBack[i] * c.distance * 0.2 / ratio;
        EXPECT_NEAR(targets[0][i], want, 0.05) << i;
        EXPECT_NEAR(targets[1][i], want, 0.05) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraStereo, ::testing::ValuesIn(kStereoCases), CaseName());

TEST(CameraStereo, InvertingSwapsTheEyes) {
    PlacedDancer dancer(kFocus);
    CCamera camera(float(Rad(90)), float(Rad(96)), 3000.0f, 30.0f);
    float normal[2][3], swapped[2][3], back[3], up[3];
    {
        StereoSettings stereo(1.0f, 1);
        camera.ComputeView(normal[0], back, up, 1);
        camera.ComputeView(normal[1], back, up, 2);
    }
    StereoSettings stereo(1.0f, -1);
    camera.ComputeView(swapped[0], back, up, 1);
    camera.ComputeView(swapped[1], back, up, 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(swapped[0][i], normal[1][i]) << i;
        EXPECT_FLOAT_EQ(swapped[1][i], normal[0][i]) << i;
    }
}

struct HeadRoomCase {
    const char* name;
    float focusY;
    float polarDegrees;
    float fov;
    float wantEyeY;  // NaN: on the orbit
    bool lifted;
};
constexpr HeadRoomCase kHeadRoomCases[] = {
    // From level, the view's top edge would pass below her head room: the target goes up.
    {"LevelViewIsLifted", 1100.0f, 90.0f, 30.0f, NAN, true},
    // A target high above the clamped eye is lifted in the same way.
    {"HighTargetAboveClampedEye", 2800.0f, 100.0f, 15.0f, 2900.0f, true},
    // A point on the floor is already inside the view: nothing moves.
    {"LowTargetStays", 0.0f, 90.0f, 30.0f, 200.0f, false},
};

class CameraHeadRoom : public ::testing::TestWithParam<HeadRoomCase> {};

TEST_P(CameraHeadRoom, UpperEdgeOfTheViewPassesThroughTwiceTheFocusHeightPlus40) {
    const HeadRoomCase c = GetParam();
    const float focus[3] = {0.0f, c.focusY, 0.0f};
    PlacedDancer dancer(focus);
    const float distance = 3000.0f;
    CCamera camera(float(Rad(c.polarDegrees)), float(Rad(96)), distance, c.fov);
    float eye[3], back[3], up[3];
    camera.ComputeView(eye, back, up, 0);

    double orbit[3];
    OrbitPoint(focus, Rad(c.polarDegrees), Rad(96), distance, orbit);
    EXPECT_NEAR(eye[1], std::isnan(c.wantEyeY) ? orbit[1] : c.wantEyeY, 0.05);
    const double half = Rad(c.fov) / 2;
    const double h = 2.0 * c.focusY + 40.0;
    if (c.lifted) {
        const double topEdge = std::atan((camera.target[1] - eye[1]) / distance) + half;
        EXPECT_NEAR(topEdge, std::atan((h - eye[1]) / distance), 1e-5);
        EXPECT_GT(camera.target[1], c.focusY);
    } else {
        EXPECT_FLOAT_EQ(camera.target[1], c.focusY);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraHeadRoom, ::testing::ValuesIn(kHeadRoomCases), CaseName());

struct EyeClampCase {
    const char* name;
    float focusY;
    float polarDegrees;
    float wantEyeY;
};
constexpr EyeClampCase kEyeClampCases[] = {
    {"BelowTheFloorLimit", 300.0f, 80.0f, 200.0f},       // orbit y = 300 - 521
    {"AboveTheCeilingLimit", 2700.0f, 100.0f, 2900.0f},  // orbit y = 2700 + 521
};

class CameraEyeClamp : public ::testing::TestWithParam<EyeClampCase> {};

TEST_P(CameraEyeClamp, EyeHeightStaysInsideTheClub) {
    const EyeClampCase c = GetParam();
    const float focus[3] = {0.0f, c.focusY, 0.0f};
    PlacedDancer dancer(focus);
    CCamera camera(float(Rad(c.polarDegrees)), 0.0f, 3000.0f, 30.0f);
    float eye[3], back[3], up[3];
    camera.ComputeView(eye, back, up, 0);
    EXPECT_FLOAT_EQ(eye[1], c.wantEyeY);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraEyeClamp, ::testing::ValuesIn(kEyeClampCases), CaseName());

TEST(CameraView, WithoutADancerKeepsLookingAtHerLastPlace) {
    float eyeWith[3], eyeWithout[3], back[3], up[3];
    CCamera camera(float(Rad(90)), float(Rad(96)), 3000.0f, 30.0f);
    {
        PlacedDancer dancer(kFocus);
        camera.ComputeView(eyeWith, back, up, 0);
    }
    ASSERT_EQ(Dancer, nullptr);
    camera.ComputeView(eyeWithout, back, up, 0);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(eyeWithout[i], eyeWith[i]) << i;
}

// AutoMove adds at most one random degree per second to the orbit speed in a call.
constexpr float kSpeedKick = 0.0175f;

struct AzimuthCase {
    const char* name;
    float minDegrees, maxDegrees;  // the camera's azimuth limits
    float azimuth, velocity;       // radians, radians per second
    float wantAzimuth;
    bool stopped;  // the speed was zeroed at a limit
};
constexpr float kPiF = 3.1415927f;
constexpr AzimuthCase kAzimuthCases[] = {
    {"StopsAtTheUpperLimit", 45, 135, 2.3f, 1.0f, 2.3561945f, true},
    {"StopsAtTheLowerLimit", 45, 135, 0.8f, -1.0f, 0.7853982f, true},
    {"SwingsInsideTheLimits", 45, 135, 1.5f, 1.0f, 1.6f, false},
    // With the full limits the azimuth runs on and stays in [0, 2 pi).
    {"FreeOrbitPassesPi", -180, 180, 3.1f, 1.0f, 3.2f, false},
    {"FreeOrbitWrapsPastTwoPi", -180, 180, 6.25f, 1.0f, 6.35f - 2 * kPiF, false},
    {"FreeOrbitWrapsBelowZero", -180, 180, 0.05f, -1.0f, -0.05f + 2 * kPiF, false},
};

class CameraAutoAzimuth : public ::testing::TestWithParam<AzimuthCase> {};

TEST_P(CameraAutoAzimuth, AzimuthStopsAtNarrowLimitsAndWrapsWithFullOnes) {
    const AzimuthCase c = GetParam();
    std::srand(7);
    CCamera camera(float(Rad(90)), c.azimuth, 3000.0f, 30.0f);
    camera.SetAzimuthLimits(float(Rad(c.minDegrees)), float(Rad(c.maxDegrees)));
    camera.azimuthVelocity = c.velocity;
    camera.AutoMove(100.0f);
    const float tolerance = c.stopped ? 1e-6f : kSpeedKick * 0.1f + 1e-5f;
    EXPECT_NEAR(camera.azimuth, c.wantAzimuth, tolerance);
    if (c.stopped)
        EXPECT_EQ(camera.azimuthVelocity, 0.0f);
    else
        EXPECT_NEAR(camera.azimuthVelocity, c.velocity, kSpeedKick);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraAutoAzimuth, ::testing::ValuesIn(kAzimuthCases), CaseName());

TEST(CameraAutoMove, StoppedAtALimitWandersBackInside) {
    std::srand(11);
    CCamera camera(float(Rad(90)), 2.3f, 3000.0f, 30.0f);
    camera.SetAzimuthLimits(float(Rad(45)), float(Rad(135)));
    camera.azimuthVelocity = 1.0f;
    camera.AutoMove(100.0f);
    ASSERT_EQ(camera.azimuth, camera.azimuthMax);
    float lowest = camera.azimuth;
    for (int i = 0; i < 2000; ++i) {
        camera.AutoMove(16.0f);
        lowest = std::fmin(lowest, camera.azimuth);
        ASSERT_LE(camera.azimuth, camera.azimuthMax);
        ASSERT_GE(camera.azimuth, camera.azimuthMin);
    }
    EXPECT_LT(lowest, camera.azimuthMax - float(Rad(5)));
}

TEST(CameraAutoMove, FieldOfViewBelowItsMinimumIsLiftedByTheFirstMove) {
    CCamera camera(float(Rad(100)), float(Rad(60)), 2000.0f, 10.0f);  // the second automatic camera
    camera.AutoMove(16.0f);
    EXPECT_EQ(camera.fov, camera.fovMin);
    EXPECT_EQ(camera.fovVelocity, 0.0f);
}

struct OrbitResetCase {
    const char* name;
    float azimuth;
    float wantAzimuth;
};
constexpr OrbitResetCase kOrbitResetCases[] = {
    {"AbovePiJumpsHalfATurn", 4.0f, 4.0f - kPiF},
    {"BelowPiStays", 2.0f, 2.0f},
};

class CameraOrbitReset : public ::testing::TestWithParam<OrbitResetCase> {};

TEST_P(CameraOrbitReset, StopsTheOrbit) {
    const OrbitResetCase c = GetParam();
    CCamera camera(float(Rad(90)), c.azimuth, 3000.0f, 30.0f);
    camera.azimuthVelocity = 2.0f;
    camera.ResetOrbitSpeed();
    EXPECT_EQ(camera.azimuthVelocity, 0.0f);
    EXPECT_FLOAT_EQ(camera.azimuth, c.wantAzimuth);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraOrbitReset, ::testing::ValuesIn(kOrbitResetCases),
                         CaseName());

enum class Field { Distance, Fov, Azimuth, Polar };
struct KeyMoveCase {
    const char* name;
    void (CCamera::*move)();
    int mode;
    float gapMs;  // since the previous key-driven move
    Field field;
    float start;
    float want;
};
const KeyMoveCase kKeyMoveCases[] = {
    {"ZoomInShrinksByTheRate", &CCamera::ZoomIn, 1, 100, Field::Distance, 3000, 3000 / 1.03f},
    {"ZoomInAfterALongPauseMovesNothing", &CCamera::ZoomIn, 1, 600, Field::Distance, 3000, 3000},
    {"ZoomInStopsAtTheNearest", &CCamera::ZoomIn, 1, 400, Field::Distance, 1600, 1500},
    {"ZoomOutGrowsByTheRate", &CCamera::ZoomOut, 1, 100, Field::Distance, 3000, 3090},
    {"ZoomOutStopsAtTheFarthest", &CCamera::ZoomOut, 1, 400, Field::Distance, 7900, 8000},
    {"WidenView", &CCamera::WidenView, 1, 200, Field::Fov, 30, 32},
    {"WidenViewStopsAtTheWidest", &CCamera::WidenView, 1, 200, Field::Fov, 59, 60},
    {"NarrowView", &CCamera::NarrowView, 1, 200, Field::Fov, 30, 28},
    {"NarrowViewStopsAtTheNarrowest", &CCamera::NarrowView, 1, 200, Field::Fov, 16, 15},
    {"OrbitRightTurns", &CCamera::OrbitRight, 1, 250, Field::Azimuth, 0, 0.17453294f},
    {"OrbitRightPastPiWrapsToMinusPi", &CCamera::OrbitRight, 1, 10, Field::Azimuth, 3.14f,
     3.14f + 0.0069813174f - 2 * kPiF},
    {"OrbitLeftPastMinusPiWrapsToPi", &CCamera::OrbitLeft, 1, 10, Field::Azimuth, -3.14f,
     -3.14f - 0.0069813174f + 2 * kPiF},
    {"OrbitUpTilts", &CCamera::OrbitUp, 1, 500, Field::Polar, 1.5f, 1.5f + 0.17453294f},
    {"OrbitUpStopsAt179Degrees", &CCamera::OrbitUp, 1, 500, Field::Polar, 3.1f, 3.1241393f},
    {"OrbitDownStopsAt1Degree", &CCamera::OrbitDown, 1, 500, Field::Polar, 0.1f, 0.017453292f},
    {"AutomaticModeIgnoresKeys", &CCamera::ZoomIn, 0, 100, Field::Distance, 3000, 3000},
    {"VirtualRealityModeIgnoresKeys", &CCamera::OrbitUp, 2, 100, Field::Polar, 1.5f, 1.5f},
};

float& FieldOf(CCamera& camera, Field field) {
    switch (field) {
        case Field::Distance:
            return camera.distance;
        case Field::Fov:
            return camera.fov;
        case Field::Azimuth:
            return camera.azimuth;
        case Field::Polar:
            return camera.polar;
    }
    return camera.distance;
}

class CameraKeyMove : public ::testing::TestWithParam<KeyMoveCase> {};

TEST_P(CameraKeyMove, MovesByTheTimeSinceThePreviousMoveWithinItsLimit) {
    const KeyMoveCase c = GetParam();
    ViewStateGuard view;
    FakeKeyClock clock;
    CameraMode = c.mode;
    CCamera camera(1.5f, 0.0f, 3000.0f, 30.0f);
    FieldOf(camera, c.field) = c.start;
    FakeKeyClock::now = 1000.0f;
    camera.UpdateFrameTime();  // the previous move
    FakeKeyClock::now += c.gapMs;
    (camera.*c.move)();
    EXPECT_NEAR(FieldOf(camera, c.field), c.want, 1e-4f * std::fmax(1.0f, std::fabs(c.want)));
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraKeyMove, ::testing::ValuesIn(kKeyMoveCases), CaseName());

TEST(CameraKeyMove, FirstMovesOfTheRunMoveNothing) {
    ViewStateGuard view;
    FakeKeyClock clock;
    CameraMode = 1;
    CCamera camera(1.5f, 0.0f, 3000.0f, 30.0f);
    FakeKeyClock::now = 0.0f;  // the clock's first reading is its base
    camera.ZoomOut();
    FakeKeyClock::now = 100.0f;
    camera.ZoomOut();
    EXPECT_EQ(camera.distance, 3000.0f);
    FakeKeyClock::now = 150.0f;
    camera.ZoomOut();
    EXPECT_FLOAT_EQ(camera.distance, 3000.0f * 1.015f);
}

}  // namespace
