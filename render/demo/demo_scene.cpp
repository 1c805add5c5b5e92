#include "render/demo/demo_scene.h"

#include <algorithm>

#include <GL/gl.h>

#include "animation/dancer_selection.h"
#include "animation/human_object.h"
#include "animation/light_show.h"
#include "animation/view_options.h"
#include "audio/beat_tracker.h"
#include "audio/analysis_thread.h"
#include "model/display_options.h"
#include "model/model_factory.h"
#include "render/eye_render.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "render/render_options.h"
#include "render/scene_helpers.h"
#include "render/scene_setup.h"
#include "render/scene_state.h"

namespace {

constexpr unsigned kFontListCount = 256;

// The start values as the program starts them, and the ones a run starts with by their
// static value, which an earlier scene in the same process may have changed.
void SetStartValues(int dancer) {
    SetDisplayStartValues();
    SetViewStartValues();
    SetRenderStartValues();
    SetSceneStartValues();
    StereoRendering = 0;
    CurrentDancer = std::max(dancer, 0);
    RequestedDancer = -1;
    DancerLoaded = 0;
    Spot0Attenuation = kSpot0StartAttenuation;
    ShutDownStarted = 0;
    ResetFrameDriver();
}

// No analysis thread runs beside this scene, so the frame's beat fallback drives the dance,
// from the phase the thread would start it at.
void StandInForTheAnalysisThread(bool on) {
    if (on) BeatPhase.store(0.0f, std::memory_order_relaxed);
    AudioThreadStop.store(on ? 1 : 0, std::memory_order_relaxed);
}

}  // namespace

std::unique_ptr<DemoScene> DemoScene::Create(const DemoSceneOptions& options) {
    std::unique_ptr<DemoScene> scene(new DemoScene);
    if (!scene->Build(options)) return nullptr;
    return scene;
}

bool DemoScene::Build(const DemoSceneOptions& options) {
    SetStartValues(options.dancer);
    StandInForTheAnalysisThread(true);
    InitMaterialTables();
    ApplyFixedGLState();
    if (!CreateFontDisplayLists()) return false;
    StencilShadowsUsable = CanUseStencilShadows();
    CreateSceneCameras(m_scene);
    if (options.dancer >= 0) {
        CheckDancerModelFiles(ModelVariant);
        DancerLoaded = SelectDancer(ModelVariant, options.dancer);
    }
    if (!LoadClub(m_scene)) return false;
    CreateSceneProps(m_scene);
    CreateSceneFloorGrid(m_scene);
    CreateSceneLights(m_scene);
    ApplyStartLighting();
    ResizeScene(options.width, options.height);
    GLReady = 1;
    RenderEnabled = 1;
    return true;
}

DemoScene::~DemoScene() {
    GLReady = 0;
    RenderEnabled = 0;
    StandInForTheAnalysisThread(false);
    ReleaseSceneObjects(m_scene);
    DancerLoaded = 0;
    FloorGrid = nullptr;
    if (FontListBase) glDeleteLists(FontListBase, kFontListCount);
    FontListBase = 0;
}
