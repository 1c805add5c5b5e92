#include "render/demo/demo_scene.h"

#include <GL/gl.h>

#include <algorithm>

#include "animation/auto_camera.h"
#include "animation/dancer_selection.h"
#include "animation/light_show.h"
#include "animation/view_state.h"
#include "animation/view_options.h"
#include "audio/analysis_thread.h"
#include "model/display_options.h"
#include "model/model_factory.h"
#include "render/eye_render.h"
#include "render/frame_driver.h"
#include "render/frame_hooks.h"
#include "render/planar_shadows.h"
#include "render/render_options.h"
#include "render/scene_helpers.h"
#include "render/scene_state.h"

namespace {

constexpr unsigned kFontListCount = 256;

// The view switches and run-time values as the program starts.
void SetStartValues(int dancer) {
    SetDisplayStartValues();
    SetViewStartValues();
    SetRenderStartValues();
    ShowClub = 1;
    ShowProps = 0;
    ShowStats = 0;
    ToonShading = 0;
    SmoothShading = 1;
    FilledPolygons = 1;
    StereoRendering = 0;
    CameraMode = 0;
    Paused = 0;
    ModelVariant = 0;
    CurrentDancer = std::max(dancer, 0);
    RequestedDancer = -1;
    DancerLoaded = 0;
    ShadowsAvailable = 1;
    PropsAvailable = 0;
    DancerAmbient = kDancerStartAmbient;
    Spot0Attenuation = kSpot0StartAttenuation;
    AutoCameraTimer = kAutoCameraTimerStart;
    LightShowTimer = kLightShowTimerStart;
    ActiveAutoCamera = 0;
    ShutDownStarted = 0;
    ResetFrameDriver();
}

// No analysis thread runs beside this scene, so the frame's beat fallback drives the dance.
void StandInForTheAnalysisThread(bool on) {
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

    m_manualCamera = std::make_unique<CCamera>(DegToRad(90), DegToRad(96), 3000, 30);
    m_autoCameras[0] = std::make_unique<CCamera>(DegToRad(90), DegToRad(96), 3000, 30);
    m_autoCameras[1] = std::make_unique<CCamera>(DegToRad(100), DegToRad(60), 2000, 10);
    m_autoCameras[0]->SetAzimuthLimits(DegToRad(45), DegToRad(135));
    m_vrCamera = std::make_unique<CVRCamera>();
    ManualCamera = m_manualCamera.get();
    AutoCameras = {m_autoCameras[0].get(), m_autoCameras[1].get()};
    VRCamera = m_vrCamera.get();

    if (options.dancer >= 0) {
        CheckDancerModelFiles(ModelVariant);
        DancerLoaded = SelectDancer(ModelVariant, options.dancer);
    }

    m_club = std::make_unique<CModelObject>();
    if (m_club->Load(PropModelPath(ClubRecord).c_str(), ClubRecord, 0) != kLoadOk) return false;
    m_club->SetInstanceCount(1);
    m_club->SetRotY(0, ClubRecord.rotY[0]);
    m_club->SetPosition(0, ClubRecord.positions[0]);
    ClubModel = m_club.get();

    for (int k = 0; k < kPropCount; ++k) {
        m_props[k] = CreateProp(&PropRecords[kPropSlotRecords[k]]);
        PropModels[k] = m_props[k].get();
    }
    ShowProps = PropsAvailable ? 1 : 0;

    m_floorGrid = std::make_unique<CMeshPart>();
    BuildFloorGrid(m_floorGrid.get());
    FloorGrid = m_floorGrid.get();

    m_simpleLight = CreateAmbientOnlyLight();
    m_clubLights = CreateClubLights();

    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    ComputeShadowPlanes();
    SwitchLights(SimpleLighting != 0);
    AppliedSpotCount = ActiveSpotCount;
    AppliedSimpleLighting = SimpleLighting;

    ResizeScene(options.width, options.height);
    GLReady = 1;
    RenderEnabled = 1;
    return true;
}

DemoScene::~DemoScene() {
    GLReady = 0;
    RenderEnabled = 0;
    StandInForTheAnalysisThread(false);
    ReleaseDancers();
    DancerLoaded = 0;
    ClubModel = nullptr;
    PropModels = {};
    FloorGrid = nullptr;
    SimpleLight = nullptr;
    MainLight = nullptr;
    SpotLights = {};
    ManualCamera = nullptr;
    AutoCameras = {};
    VRCamera = nullptr;
    if (FontListBase) glDeleteLists(FontListBase, kFontListCount);
    FontListBase = 0;
}
