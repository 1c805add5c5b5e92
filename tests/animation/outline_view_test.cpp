// The toon outline's view in the running scene: which camera's eye and which field of view
// each camera mode gives, and the assumed view while the scene is not there.

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/outline_view.h"
#include "animation/view_state.h"
#include "animation/vr_camera.h"
#include "tests/animation/scene_doubles.h"
#include "tests/support/case_name.h"

namespace {

constexpr float kFocus[3] = {120, 1100, -300};

enum class Eye { FirstAuto, SecondAuto, Manual, Vr };

struct OutlineCase {
    const char* name;
    int mode;
    int activeAuto;
    Eye eye;
    float fov;
};
// Every camera has a field of view of its own, so the one used shows which camera gave it.
const OutlineCase kOutlineCases[] = {
    {"AutomaticModeFirstCameraWithTheManualFieldOfView", 0, 0, Eye::FirstAuto, 45},
    {"AutomaticModeSecondCameraWithTheManualFieldOfView", 0, 1, Eye::SecondAuto, 45},
    {"ManualMode", 1, 0, Eye::Manual, 45},
    {"VirtualRealityModeWithThirtyDegrees", 2, 1, Eye::Vr, 30},
};

class OutlineViewTest : public ::testing::TestWithParam<OutlineCase> {
  protected:
    OutlineViewTest()
        : m_savedAuto(AutoCameras), m_savedManual(ManualCamera), m_savedVr(VRCamera),
          m_savedActive(ActiveAutoCamera) {
        AutoCameras = {&m_first, &m_second};
        ManualCamera = &m_manual;
        VRCamera = &m_vr;
        m_vr.x = 700;
        m_vr.z = 4000;
    }
    ~OutlineViewTest() override {
        AutoCameras = m_savedAuto;
        ManualCamera = m_savedManual;
        VRCamera = m_savedVr;
        ActiveAutoCamera = m_savedActive;
    }

    // The centre eye the camera gives by itself.
    std::array<float, 3> EyeOf(Eye eye) {
        std::array<float, 3> p{};
        float a[3], b[3];
        if (eye == Eye::Vr) {
            m_vr.GetEyeVectors(p.data(), a, b);
            return p;
        }
        CCamera& camera = eye == Eye::FirstAuto ? m_first : eye == Eye::SecondAuto ? m_second
                                                                                   : m_manual;
        camera.ComputeView(p.data(), a, b, 0);
        return p;
    }

    ViewStateGuard m_view;
    PlacedDancer m_dancer{kFocus};
    CCamera m_first{DegToRad(90), DegToRad(96), 4000, 20};
    CCamera m_second{DegToRad(100), DegToRad(60), 2000, 10};
    CCamera m_manual{DegToRad(80), DegToRad(30), 3000, 45};
    CVRCamera m_vr;

  private:
    std::array<CCamera*, 2> m_savedAuto;
    CCamera* m_savedManual;
    CVRCamera* m_savedVr;
    std::int16_t m_savedActive;
};

TEST_P(OutlineViewTest, TakesTheEyeAndFieldOfViewOfTheCameraMode) {
    const OutlineCase& c = GetParam();
    CameraMode = c.mode;
    ActiveAutoCamera = static_cast<std::int16_t>(c.activeAuto);
    const OutlineView view = CameraOutlineView();
    const std::array<float, 3> want = EyeOf(c.eye);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(view.eye[i], want[i], 1e-3f) << i;
        EXPECT_FLOAT_EQ(view.focus[i], kFocus[i]) << i;
    }
    EXPECT_FLOAT_EQ(view.fovDegrees, c.fov);
}

INSTANTIATE_TEST_SUITE_P(Modes, OutlineViewTest, ::testing::ValuesIn(kOutlineCases), CaseName());

// A closer camera draws a wider outline: the width follows the camera, not a fixed eye.
TEST_F(OutlineViewTest, WidthFollowsTheCameraDistance) {
    CameraMode = 1;
    const float far = OutlineLineWidth(CameraOutlineView(), 480);
    m_manual.Init(DegToRad(80), DegToRad(30), 1500, 45);
    const float near = OutlineLineWidth(CameraOutlineView(), 480);
    EXPECT_NEAR(near, 2.0f * far, 1e-3f);
}

struct MissingCase {
    const char* name;
    bool dancer;
    bool cameras;
};
const MissingCase kMissingCases[] = {
    {"NoDancer", false, true},
    {"NoCameras", true, false},
};
class OutlineViewMissing : public ::testing::TestWithParam<MissingCase> {};

TEST_P(OutlineViewMissing, AssumesTheDefaultView) {
    const MissingCase& c = GetParam();
    ViewStateGuard view;
    const std::array<CCamera*, 2> savedAuto = AutoCameras;
    CCamera* savedManual = ManualCamera;
    CVRCamera* savedVr = VRCamera;
    CCamera camera(DegToRad(90), DegToRad(0), 1000, 60);
    CVRCamera vr;
    AutoCameras = {c.cameras ? &camera : nullptr, c.cameras ? &camera : nullptr};
    ManualCamera = c.cameras ? &camera : nullptr;
    VRCamera = c.cameras ? &vr : nullptr;
    const float focus[3] = {0, 900, 0};
    PlacedDancer dancer(focus);
    if (!c.dancer) Dancer = nullptr;
    const OutlineView want = DefaultOutlineView();
    for (int mode : {0, 1, 2}) {
        CameraMode = mode;
        const OutlineView got = CameraOutlineView();
        for (int i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(got.eye[i], want.eye[i]) << mode;
            EXPECT_FLOAT_EQ(got.focus[i], want.focus[i]) << mode;
        }
        EXPECT_FLOAT_EQ(got.fovDegrees, want.fovDegrees) << mode;
    }
    AutoCameras = savedAuto;
    ManualCamera = savedManual;
    VRCamera = savedVr;
}

INSTANTIATE_TEST_SUITE_P(Cases, OutlineViewMissing, ::testing::ValuesIn(kMissingCases), CaseName());

}  // namespace
