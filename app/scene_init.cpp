#include "app/scene_init.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/dancer_selection.h"
#include "animation/light_object.h"
#include "animation/light_show.h"
#include "animation/view_state.h"
#include "animation/vr_camera.h"
#include "app/messages.h"
#include "app/settings_file.h"
#include "app/settings_globals.h"
#include "app/shell_state.h"
#include "app/subsystem_calls.h"
#include "app/velmoranth_app.h"
#include "audio/analysis_thread.h"
#include "model/mesh_part.h"
#include "model/model_factory.h"
#include "model/noise_table.h"
#include "render/eye_render.h"
#include "render/frame_driver.h"
#include "render/planar_shadows.h"
#include "render/scene_helpers.h"
#include "render/scene_setup.h"
#include "render/scene_state.h"

std::vector<float> NoiseTable;

namespace {

void SetStartValues();
void ProbeModelVariant();
void CreateCameras(CVelmoranthApp::SceneObjects& scene);
[[nodiscard]] bool CreateDancerAndShadow();
[[nodiscard]] bool CreateClub(CVelmoranthApp::SceneObjects& scene);
void CreateProps(CVelmoranthApp::SceneObjects& scene);
void CreateFloorGrid(CVelmoranthApp::SceneObjects& scene);
void CreateLights(CVelmoranthApp::SceneObjects& scene);
[[nodiscard]] bool CreateFonts();

// The settings file's view of the prop slots.
class PropModelVisibility final : public PropVisibility {
  public:
    bool HasModel(int prop) const override { return PropModels[prop] != nullptr; }
    int IsVisible(int prop) const override {
        return PropModels[prop] ? PropModels[prop]->IsVisible() : 0;
    }
    void SetVisible(int prop, int visible) override {
        if (PropModels[prop]) PropModels[prop]->SetVisible(visible);
    }
};
PropModelVisibility g_propVisibility;

struct OrbitStart {
    float polarDegrees, azimuthDegrees, distance, fovDegrees;
};
constexpr OrbitStart kManualCameraStart = {90, 96, 3000, 30};
constexpr OrbitStart kAutoCameraStarts[2] = {{90, 96, 3000, 30}, {100, 60, 2000, 10}};
constexpr float kWideAutoCameraAzimuth[2] = {45, 135};  // degrees, the first automatic camera

void SetStartValues() {
    SetSettingsStartValues();
    SavedFullScreen = 0;
    FullScreen = 0;
    ShowStats = 0;
    CameraMode = 0;
    Paused = 0;
    DanceWhenSilent.store(0, std::memory_order_relaxed);
    ToonShading = 0;
    VirtualReality = 0;
    ShowProps = 0;
    PropsAvailable = 0;
    VrAvailable = 0;
    SoundReady = 0;
    ModelVariant = 0;
    CurrentDancer = 0;
    AppliedSpotCount = 0;
    AppliedSimpleLighting = 0;
    ShowClub = 1;
    SmoothShading = 1;
    FilledPolygons = 1;
    ShadowsAvailable = 1;
    FpsAveragingTime = 0.0f;
}

void ProbeModelVariant() {
    if (FileExists("NudeGirl")) ModelVariant = 2;
    if (FileExists("SexyGirl")) ModelVariant = 1;  // wins when both are there
}

std::unique_ptr<CCamera> MakeOrbitCamera(const OrbitStart& s) {
    return std::make_unique<CCamera>(DegToRad(s.polarDegrees), DegToRad(s.azimuthDegrees),
                                     s.distance, s.fovDegrees);
}

void CreateCameras(CVelmoranthApp::SceneObjects& scene) {
    scene.manualCamera = MakeOrbitCamera(kManualCameraStart);
    ManualCamera = scene.manualCamera.get();
    for (int i = 0; i < 2; ++i) {
        scene.autoCameras[i] = MakeOrbitCamera(kAutoCameraStarts[i]);
        AutoCameras[i] = scene.autoCameras[i].get();
    }
    AutoCameras[0]->SetAzimuthLimits(DegToRad(kWideAutoCameraAzimuth[0]),
                                     DegToRad(kWideAutoCameraAzimuth[1]));
    scene.vrCamera = std::make_unique<CVRCamera>();
    VRCamera = scene.vrCamera.get();
}

// A missing dancer file has shown its fatal message (and shut the program down).
bool CreateDancerAndShadow() {
    CheckDancerModelFiles(ModelVariant);
    SelectDancer(ModelVariant, CurrentDancer);
    if (!Dancer) return false;
    DancerLoaded = 1;
    return true;
}

bool CreateClub(CVelmoranthApp::SceneObjects& scene) {
    auto club = std::make_unique<CModelObject>();
    const std::string path = PropModelPath(ClubRecord);
    if (club->Load(path.c_str(), ClubRecord, 0) != kLoadOk) {
        // The shut-down this runs frees every model the application holds; the club is not
        // one of them yet, so it goes exactly once, here.
        ReportMessage("I couldn't find Club.dat!", ReportCategory::Fatal);
        return false;
    }
    club->SetInstanceCount(1);
    club->SetRotY(0, ClubRecord.rotY[0]);
    club->SetPosition(0, ClubRecord.positions[0]);
    scene.clubModel = std::move(club);
    ClubModel = scene.clubModel.get();
    return true;
}

void CreateProps(CVelmoranthApp::SceneObjects& scene) {
    for (int k = 0; k < kPropCount; ++k) {
        scene.propModels[k] = CreateProp(&PropRecords[kPropSlotRecords[k]]);
        PropModels[k] = scene.propModels[k].get();
    }
    ShowProps = PropsAvailable ? 1 : 0;
    BindPropVisibility(&g_propVisibility);
}

void CreateFloorGrid(CVelmoranthApp::SceneObjects& scene) {
    scene.floorGrid = std::make_unique<CMeshPart>();
    FloorGrid = scene.floorGrid.get();
    (void)BuildFloorGrid(FloorGrid);  // fails only without a part
}

void CreateLights(CVelmoranthApp::SceneObjects& scene) {
    scene.simpleLight = CreateAmbientOnlyLight();
    ClubLights club = CreateClubLights();
    scene.mainLight = std::move(club.main);
    scene.spotLights = std::move(club.spots);
}

// Without display lists the program cannot draw at all; a font that cannot be rasterised
// only leaves the overlay blank.
bool CreateFonts() {
    FontListBase = 0;
    if (CreateFontDisplayLists()) return true;
    if (FontListBase == 0) {
        ReportMessage("I couldn't reserve the font display lists!", ReportCategory::Fatal);
        return false;
    }
    std::fprintf(stderr, "TEXT: the overlay font could not be rasterised; no overlay text\n");
    return true;
}

}  // namespace

void BuildNoiseTable() { NoiseTable = NoiseValues(kNoiseTableSize); }

int InitScene() {
    CVelmoranthApp::SceneObjects& scene = theApp.Scene;
    SetStartValues();
    InitMaterialTables();
    BuildNoiseTable();
    DancerAmbient = kDancerStartAmbient;
    ClubAmbient = 0.1f;
    MainLightLevel = 0.4f;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    ApplyFixedGLState();
    // Before any warning below can be shown.
    (void)ReadReportSettings();
    if (!CreateFonts()) return 1;
    if (CanUseStencilShadows()) StencilShadowsUsable = 1;
    FpsAveragingTime = 0.0f;
    ProbeModelVariant();
    AutoCameraTimer = kAutoCameraTimerStart;
    LightShowTimer = kLightShowTimerStart;
    ActiveAutoCamera = 0;
    CreateCameras(scene);
    if (!CreateDancerAndShadow()) return 1;
    if (!CreateClub(scene)) return 1;
    CreateProps(scene);
    CreateFloorGrid(scene);
    CreateLights(scene);
    RayTracingAvailable = RtCheckAvailable() == 0 ? 1 : 0;
    if (SoundInit() == 0) SoundReady = 1;
    // The ray-tracing keys depend on RayTracingAvailable, the prop keys on the loaded props.
    (void)ReadSettings();
    // A warning silenced during start-up is saved at once.
    if (SettingsDirty) (void)WriteSettings();
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    ComputeShadowPlanes();
    SwitchLights(SimpleLighting != 0);
    AppliedSpotCount = ActiveSpotCount;
    AppliedSimpleLighting = SimpleLighting;
    return 0;
}
