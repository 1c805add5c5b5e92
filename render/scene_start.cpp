#include "render/scene_start.h"

#include <GL/gl.h>

#include "animation/auto_camera.h"
#include "animation/dancer_selection.h"
#include "animation/human_object.h"
#include "animation/light_show.h"
#include "animation/outline_view.h"
#include "animation/view_options.h"
#include "animation/view_state.h"
#include "audio/analysis_thread.h"
#include "model/model_factory.h"
#include "render/frame_driver.h"
#include "render/planar_shadows.h"
#include "render/render_options.h"
#include "render/scene_helpers.h"
#include "render/scene_setup.h"
#include "render/scene_state.h"

namespace {

struct OrbitStart {
    float polarDegrees, azimuthDegrees, distance, fovDegrees;
};
constexpr OrbitStart kManualCameraStart = {90, 96, 3000, 30};
constexpr OrbitStart kAutoCameraStarts[2] = {{90, 96, 3000, 30}, {100, 60, 2000, 10}};
constexpr float kWideAutoCameraAzimuth[2] = {45, 135};  // degrees, the first automatic camera

std::unique_ptr<CCamera> MakeOrbitCamera(const OrbitStart& s) {
    return std::make_unique<CCamera>(DegToRad(s.polarDegrees), DegToRad(s.azimuthDegrees),
                                     s.distance, s.fovDegrees);
}

// Frees an owned object and clears the global that points at it.
template <class Owned, class Global>
void Release(std::unique_ptr<Owned>& owner, Global*& global) {
    global = nullptr;
    owner.reset();
}

}  // namespace

void SetSceneStartValues() {
    ShowStats = 0;
    CameraMode = 0;
    Paused = 0;
    DanceWhenSilent.store(0, std::memory_order_relaxed);
    ToonShading = 0;
    ShowProps = 0;
    PropsAvailable = 0;
    ModelVariant = 0;
    CurrentDancer = 0;
    AppliedSpotCount = 0;
    AppliedSimpleLighting = 0;
    ShowClub = 1;
    SmoothShading = 1;
    FilledPolygons = 1;
    ShadowsAvailable = 1;
    FpsAveragingTime = 0.0f;
    DancerAmbient = kDancerStartAmbient;
    ClubAmbient = 0.1f;
    MainLightLevel = 0.4f;
    AutoCameraTimer = kAutoCameraTimerStart;
    LightShowTimer = kLightShowTimerStart;
    ActiveAutoCamera = 0;
}

void CreateSceneCameras(SceneObjects& scene) {
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
    OutlineViewSource = CameraOutlineView;
}

bool LoadClub(SceneObjects& scene) {
    auto club = std::make_unique<CModelObject>();
    const std::string path = PropModelPath(ClubRecord);
    if (club->Load(path.c_str(), ClubRecord, 0) != kLoadOk) return false;
    club->SetInstanceCount(1);
    club->SetRotY(0, ClubRecord.rotY[0]);
    club->SetPosition(0, ClubRecord.positions[0]);
    scene.clubModel = std::move(club);
    ClubModel = scene.clubModel.get();
    return true;
}

void CreateSceneProps(SceneObjects& scene) {
    for (int k = 0; k < kPropCount; ++k) {
        scene.propModels[k] = CreateProp(&PropRecords[kPropSlotRecords[k]]);
        PropModels[k] = scene.propModels[k].get();
    }
    ShowProps = PropsAvailable ? 1 : 0;
}

void CreateSceneFloorGrid(SceneObjects& scene) {
    scene.floorGrid = std::make_unique<CMeshPart>();
    FloorGrid = scene.floorGrid.get();
    (void)BuildFloorGrid(FloorGrid);  // fails only without a part
}

void CreateSceneLights(SceneObjects& scene) {
    scene.simpleLight = CreateAmbientOnlyLight();
    ClubLights club = CreateClubLights();
    scene.mainLight = std::move(club.main);
    scene.spotLights = std::move(club.spots);
}

void ApplyStartLighting() {
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    ComputeShadowPlanes();
    SwitchLights(SimpleLighting != 0);
    AppliedSpotCount = ActiveSpotCount;
    AppliedSimpleLighting = SimpleLighting;
}

void ReleaseSceneObjects(SceneObjects& scene) {
    Release(scene.manualCamera, ManualCamera);
    for (int i = 0; i < 2; ++i) Release(scene.autoCameras[i], AutoCameras[i]);
    Release(scene.vrCamera, VRCamera);
    ReleaseDancers();
    Release(scene.clubModel, ClubModel);
    for (int k = 0; k < kPropCount; ++k) Release(scene.propModels[k], PropModels[k]);
    Release(scene.simpleLight, SimpleLight);
    Release(scene.mainLight, MainLight);
    for (int i = 0; i < kSpotLightCount; ++i) Release(scene.spotLights[i], SpotLights[i]);
}
