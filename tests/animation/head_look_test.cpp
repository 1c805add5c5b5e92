// The gaze: the idle walk's bounds, looking at the camera of each camera mode with the eyes'
// clamps, and on every generated dancer the drawn eyes aiming at a camera in front of her.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/dance_motion.h"
#include "animation/view_state.h"
#include "animation/vr_camera.h"
#include "tests/animation/dancing_dancer.h"
#include "tests/support/case_name.h"

namespace {

constexpr float kFrameMs = 20;
constexpr float kHead[3] = {0, 1825, -40};  // the gaze's origin: her focus point + (0, 725, -40)

float Deg(float d) { return DegToRad(d); }

// Holds the camera globals for one test and puts them back.
class CameraScene {
  public:
    CameraScene()
        : m_mode(CameraMode), m_vr(VRCamera), m_auto(AutoCameras), m_manual(ManualCamera) {
        VRCamera = &vr;
        CameraMode = 2;
    }
    ~CameraScene() {
        CameraMode = m_mode;
        VRCamera = m_vr;
        AutoCameras = m_auto;
        ManualCamera = m_manual;
    }
    CameraScene(const CameraScene&) = delete;
    CameraScene& operator=(const CameraScene&) = delete;

    // Puts the Virtual Reality camera's eye at p.
    void PlaceEye(const float* p) {
        vr.x = p[0];
        vr.z = p[2];
        vr.heightOffset = 0;
        vr.height = p[1];
    }

    CVRCamera vr;

  private:
    int m_mode;
    CVRCamera* m_vr;
    std::array<CCamera*, 2> m_auto;
    CCamera* m_manual;
};

class HeadLook : public DancingDancer {
  protected:
    void SetUp() override {
        DancingDancer::SetUp();
        std::srand(9);
        m_motion = Dance(0);
        ASSERT_NE(m_motion, nullptr);
        Dancer = m_dancer.get();
        ASSERT_FLOAT_EQ(m_dancer->FocusOffset[1] + 725, kHead[1]);
        LookMode(1);
    }
    void TearDown() override {
        Dancer = nullptr;
        DancingDancer::TearDown();
    }
    void LookMode(std::int16_t mode) {
        m_dancer->LookTimer.index = mode;
        m_dancer->LookTimer.remaining = 1e6f;
    }
    const float* Eye(int joint) { return m_motion->Joint(joint).angles; }

    CameraScene m_cameras;
    CDanceMotion* m_motion = nullptr;
};

TEST_F(HeadLook, IdleGazeWandersInsideThirtyDegreesAtLevelPitch) {
    LookMode(0);
    float widest = 0;
    for (int i = 0; i < 20000; ++i) {
        m_motion->UpdateHead(kFrameMs);
        ASSERT_LE(std::fabs(m_motion->LookYaw), Deg(30)) << i;
        ASSERT_EQ(m_motion->LookPitch, 0) << i;
        widest = std::fmax(widest, std::fabs(m_motion->LookYaw));
    }
    EXPECT_GT(widest, Deg(20));
}

struct GazeCase {
    const char* name;
    float eyeFromHead[3];
    float lookYaw, lookPitch;  // degrees
    float eyeYaw, eyePitch;    // degrees, joint 20 (joint 21 is 10 degrees further)
};
constexpr GazeCase kGazeCases[] = {
    {"StraightInFront", {0, 0, 3000}, 0, 0, -5, 0},
    {"SidewaysAndUpReachesBothLimits", {3000, 3000 * 0.17632698f, 0}, 90, 10, 25, 10},
    {"DirectlyAboveIsClampedToTen", {0, 500, 0}, 90, 90, 25, 10},
    {"OnTheHeadLooksSidewaysLevel", {0, 0, 0}, 90, 0, 25, 0},
};

class CameraGaze : public HeadLook, public ::testing::WithParamInterface<GazeCase> {};

TEST_P(CameraGaze, AimsAtTheCameraWithinTheEyesLimits) {
    const GazeCase& c = GetParam();
    float eye[3];
    Vec3Add(kHead, c.eyeFromHead, eye);
    m_cameras.PlaceEye(eye);
    m_motion->LookYawVelocity = 1;
    m_motion->UpdateHead(kFrameMs);
    EXPECT_NEAR(m_motion->LookYaw, Deg(c.lookYaw), 1e-4f);
    EXPECT_NEAR(m_motion->LookPitch, Deg(c.lookPitch), 1e-4f);
    EXPECT_EQ(m_motion->LookYawVelocity, 0);
    EXPECT_NEAR(Eye(20)[1], Deg(c.eyeYaw), 1e-4f);
    EXPECT_NEAR(Eye(21)[1], std::fmin(Deg(c.eyeYaw + 10), Deg(35)), 1e-4f);
    EXPECT_NEAR(Eye(20)[0], Deg(c.eyePitch), 1e-4f);
    EXPECT_EQ(Eye(21)[0], Eye(20)[0]);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraGaze, ::testing::ValuesIn(kGazeCases), CaseName());

TEST_F(HeadLook, EyesTakeTheGazeNetOfTheSpine) {
    const float inFront[3] = {0, 0, 3000};
    float eye[3];
    Vec3Add(kHead, inFront, eye);
    m_cameras.PlaceEye(eye);
    for (int j = 9; j <= 12; ++j) {
        CDanceMotion::SetVector(m_motion->Joint(j).angles, Deg(1), Deg(2), 0);
    }
    m_motion->UpdateHead(kFrameMs);
    EXPECT_NEAR(Eye(20)[1], Deg(-8 - 5), 1e-4f);
    EXPECT_NEAR(Eye(20)[0], Deg(-4), 1e-4f);
}

TEST_F(HeadLook, AutomaticModeLooksAtTheSecondCameraWhicheverIsShown) {
    // Azimuth 0 puts a camera on +x, 180 degrees on -x.
    CCamera plusX(Deg(90), 0, 3000, 30), minusX(Deg(90), Deg(180), 3000, 30);
    CameraMode = 0;
    ActiveAutoCamera = 0;
    AutoCameras = {&minusX, &plusX};
    m_motion->UpdateHead(kFrameMs);
    EXPECT_GT(m_motion->LookYaw, Deg(45));
    AutoCameras = {&plusX, &minusX};
    m_motion->UpdateHead(kFrameMs);
    EXPECT_LT(m_motion->LookYaw, Deg(-45));
    // Mode 1 follows the manual camera.
    CameraMode = 1;
    ManualCamera = &plusX;
    m_motion->UpdateHead(kFrameMs);
    EXPECT_GT(m_motion->LookYaw, Deg(45));
}

TEST_F(HeadLook, HoldKeepsTheYawAndLevelsThePitch) {
    const float aboveAside[3] = {1000, 1000, 1000};
    float eye[3];
    Vec3Add(kHead, aboveAside, eye);
    m_cameras.PlaceEye(eye);
    m_motion->UpdateHead(kFrameMs);
    const float yaw = m_motion->LookYaw;
    ASSERT_GT(m_motion->LookPitch, 0);
    LookMode(2);
    m_motion->UpdateHead(kFrameMs);
    EXPECT_EQ(m_motion->LookYaw, yaw);
    EXPECT_EQ(m_motion->LookPitch, 0);
}

// Every generated dancer, dancing on the beat, with the camera far in front at head height.

class DrawnGaze : public DancingDancer, public ::testing::WithParamInterface<GeneratedDancer> {
  protected:
    void TearDown() override {
        Dancer = nullptr;
        DancingDancer::TearDown();
    }
};

// Angle between where the eye joint's frame looks (its local -z) and the way to the point.
float AimError(const CModelObject& model, int joint, const float* target) {
    const float origin[3] = {0, 0, 0}, ahead[3] = {0, 0, -1};
    float from[3], tip[3], look[3], to[3];
    DrawnPoint(model, joint, origin, from);
    DrawnPoint(model, joint, ahead, tip);
    Vec3Sub(tip, from, look);
    Vec3Sub(target, from, to);
    Vec3Normalize(to, to);
    const float cosine = look[0] * to[0] + look[1] * to[1] + look[2] * to[2];
    return std::acos(std::fmin(cosine, 1.0f));
}

TEST_P(DrawnGaze, EyesPointAtACameraInFront) {
    std::srand(13);
    ASSERT_NE(Dance(GetParam().dancer), nullptr);
    CHumanObject* dancer = m_dancer.get();
    Dancer = dancer;
    CameraScene cameras;
    const float farInFront[3] = {0, 0, 6000};
    float camera[3];
    Vec3Add(kHead, farInFront, camera);
    cameras.PlaceEye(camera);
    SetStyle(kBeatStyle);
    float worst = 0;
    int aimed = 0, frames = 0;
    for (int frame = 0; frame < 3000; ++frame) {
        dancer->LookTimer.index = 1;
        dancer->LookTimer.remaining = 1e6f;
        DanceFrame(kFrameMs);
        if (frame % 25 != 0) continue;
        ++frames;
        // Where the spine has turned the head past the eyes' limits they can only get close.
        const float* left = dancer->Motion->Joint(20).angles;
        const bool clamped =
            std::fabs(left[1] + Deg(5)) > Deg(29.9f) || std::fabs(left[0]) > Deg(9.9f);
        if (clamped) continue;
        ++aimed;
        for (int eye : {20, 21}) worst = std::fmax(worst, AimError(*dancer, eye, camera));
    }
    EXPECT_GT(aimed, frames / 2);
    // Each eye turns 5 degrees inward; the rest is the eyes sitting off the gaze's origin.
    EXPECT_LT(worst, Deg(5 + 1)) << "worst " << worst * 180 / 3.14159f << " degrees";
}

INSTANTIATE_TEST_SUITE_P(Generated, DrawnGaze, ::testing::ValuesIn(kGeneratedDancers), CaseName());

}  // namespace
