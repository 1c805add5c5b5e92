// The scene of the tests and benchmarks starts from the run's start values, whatever an earlier
// scene in the same process left behind.

#include <gtest/gtest.h>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/light_show.h"
#include "animation/outline_view.h"
#include "animation/view_state.h"
#include "audio/beat_tracker.h"
#include "model/mesh_part.h"
#include "render/demo/demo_scene.h"
#include "render/scene_state.h"
#include "tests/support/gl_context.h"

namespace {

using DemoSceneStart = GlFixture;

TEST_F(DemoSceneStart, PutsBackWhatAnEarlierSceneChanged) {
    ASSERT_NE(m_context, nullptr);
    BeatPhase.store(3.5f);
    CameraMode = 2;
    ToonShading = 1;
    ShowClub = 0;
    ActiveAutoCamera = 1;
    DancerAmbient = 0.1f;
    OutlineViewSource = nullptr;

    const auto scene = DemoScene::Create({64, 64, 0});
    ASSERT_NE(scene, nullptr) << "the generated club is missing from Models/";
    EXPECT_EQ(BeatPhase.load(), 0.0f);  // as the analysis thread starts it
    EXPECT_EQ(CameraMode, 0);
    EXPECT_EQ(ToonShading, 0);
    EXPECT_EQ(ShowClub, 1);
    EXPECT_EQ(ActiveAutoCamera, 0);
    EXPECT_EQ(DancerAmbient, kDancerStartAmbient);
    EXPECT_EQ(OutlineViewSource, &CameraOutlineView);
    ASSERT_NE(AutoCameras[1], nullptr);
    EXPECT_FLOAT_EQ(AutoCameras[1]->GetFieldOfView(), 10.0f);
}

}  // namespace
