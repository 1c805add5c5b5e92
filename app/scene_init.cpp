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
#include "animation/outline_view.h"
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
#include "render/scene_start.h"
#include "render/scene_state.h"

std::vector<float> NoiseTable;

namespace {

void SetStartValues();
void ProbeModelVariant();
[[nodiscard]] bool CreateDancerAndShadow();
[[nodiscard]] bool CreateClub(SceneObjects& scene);
void CreateProps(SceneObjects& scene);
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

// The shell's own start values; the scene's come from the layers below.
void SetStartValues() {
    SetSettingsStartValues();
    SetSceneStartValues();
    SavedFullScreen = 0;
    FullScreen = 0;
    VirtualReality = 0;
    VrAvailable = 0;
    SoundReady = 0;
}

void ProbeModelVariant() {
    if (FileExists("NudeGirl")) ModelVariant = 2;
    if (FileExists("SexyGirl")) ModelVariant = 1;  // wins when both are there
}

// A missing dancer file has shown its fatal message (and shut the program down).
bool CreateDancerAndShadow() {
    CheckDancerModelFiles(ModelVariant);
    SelectDancer(ModelVariant, CurrentDancer);
    if (!Dancer) return false;
    DancerLoaded = 1;
    return true;
}

bool CreateClub(SceneObjects& scene) {
    if (LoadClub(scene)) return true;
    // The shut-down this runs frees every model the application holds; the club is not one of
    // them yet, so it has gone exactly once, in the load.
    ReportMessage("I couldn't find Club.dat!", ReportCategory::Fatal);
    return false;
}

void CreateProps(SceneObjects& scene) {
    CreateSceneProps(scene);
    BindPropVisibility(&g_propVisibility);
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
    SceneObjects& scene = theApp.Scene;
    SetStartValues();
    InitMaterialTables();
    BuildNoiseTable();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    ApplyFixedGLState();
    // Before any warning below can be shown.
    (void)ReadReportSettings();
    if (!CreateFonts()) return 1;
    if (CanUseStencilShadows()) StencilShadowsUsable = 1;
    FpsAveragingTime = 0.0f;
    ProbeModelVariant();
    CreateSceneCameras(scene);
    if (!CreateDancerAndShadow()) return 1;
    if (!CreateClub(scene)) return 1;
    CreateProps(scene);
    CreateSceneFloorGrid(scene);
    CreateSceneLights(scene);
    RayTracingAvailable = RtCheckAvailable() == 0 ? 1 : 0;
    if (SoundInit() == 0) SoundReady = 1;
    // The ray-tracing keys depend on RayTracingAvailable, the prop keys on the loaded props.
    (void)ReadSettings();
    // A warning silenced during start-up is saved at once.
    if (SettingsDirty) (void)WriteSettings();
    ApplyStartLighting();
    return 0;
}
