#include "app/scene_init.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animation/auto_camera.h"
#include "animation/camera.h"
#include "animation/human_object.h"
#include "animation/light_object.h"
#include "animation/light_show.h"
#include "animation/outline_view.h"
#include "animation/vr_camera.h"
#include "app/messages.h"
#include "app/settings_globals.h"
#include "app/subsystem_calls.h"
#include "app/velmoranth_app.h"
#include "model/mesh_part.h"
#include "model/model_catalogue.h"
#include "model/model_object.h"
#include "render/planar_shadows.h"
#include "render/scene_state.h"
#include "tests/app_scene/scene_fixture.h"
#include "tests/support/case_name.h"
#include "tests/support/model_colours.h"

namespace {

const std::vector<std::string> kPropFiles = {
    "Table4.dat", "Table2.dat", "Stool.dat",     "Speaker.dat",   "SpotLight.dat",
    "Plant.dat",  "Booth.dat",  "VideoGame.dat", "TableGame.dat",
};

// Which lights are on: spots 0 to 4, then MainLight, then SimpleLight.
std::vector<int> LightsOn() {
    std::vector<int> on;
    for (CSpotLightObject* spot : SpotLights) on.push_back(spot ? spot->IsEnabled() : -1);
    on.push_back(MainLight ? MainLight->IsEnabled() : -1);
    on.push_back(SimpleLight ? SimpleLight->IsEnabled() : -1);
    return on;
}

bool SceneIsEmpty() {
    bool empty = !ManualCamera && !AutoCameras[0] && !AutoCameras[1] && !VRCamera && !Dancer &&
                 !DancerShadow && !ClubModel && !SimpleLight && !MainLight;
    for (CModelObject* prop : PropModels) empty = empty && !prop;
    for (CSpotLightObject* spot : SpotLights) empty = empty && !spot;
    return empty;
}

using SceneInitTest = SceneFixture;

TEST_F(SceneInitTest, GeneratedContentBuildsTheWholeScene) {
    LinkAllModelsExcept({});
    ASSERT_EQ(InitScene(), 0);

    EXPECT_TRUE(m_dialog.shown.empty());
    ASSERT_NE(Dancer, nullptr);
    EXPECT_NE(DancerShadow, nullptr);
    EXPECT_EQ(CurrentDancer, 0);
    EXPECT_EQ(DancerLoaded, 1);
    ASSERT_NE(ClubModel, nullptr);
    EXPECT_EQ(ClubModel->GetInstanceCount(), 1);
    for (int k = 0; k < kPropCount; ++k) EXPECT_NE(PropModels[k], nullptr) << k;
    EXPECT_EQ(ShowProps, 1);
    ASSERT_NE(FloorGrid, nullptr);
    EXPECT_EQ(FloorGrid->GetQuadCount(), 1024u);
    EXPECT_NE(FontListBase, 0u);
    EXPECT_EQ(StencilShadowsUsable, 1);  // the fixture's context has 8 stencil bits
    EXPECT_EQ(NoiseTable.size(), static_cast<size_t>(kNoiseTableSize));
    EXPECT_EQ(ClubFloorPlane[1], 1.0f);  // the shadow planes are made
    EXPECT_EQ(ClubFloorPlane[3], 975.0f);

    ASSERT_NE(ManualCamera, nullptr);
    ASSERT_NE(AutoCameras[0], nullptr);
    ASSERT_NE(AutoCameras[1], nullptr);
    EXPECT_NE(VRCamera, nullptr);
    EXPECT_FLOAT_EQ(AutoCameras[0]->azimuthMin, DegToRad(45));
    EXPECT_FLOAT_EQ(AutoCameras[0]->azimuthMax, DegToRad(135));
    EXPECT_FLOAT_EQ(AutoCameras[1]->fov, 10.0f);
    EXPECT_EQ(OutlineViewSource, &CameraOutlineView);  // the outline follows the cameras

    // Three spots by default, with the main light; simple lighting off.
    EXPECT_EQ(LightsOn(), (std::vector<int>{1, 1, 1, 0, 0, 1, 0}));
    EXPECT_EQ(AppliedSpotCount, 3);
    EXPECT_EQ(AppliedSimpleLighting, 0);
    // Neither subsystem is there yet.
    EXPECT_EQ(RayTracingAvailable, 0);
    EXPECT_EQ(SoundReady, 0);
    EXPECT_TRUE(ReadFile("Velmoranth.ini").empty());  // nothing to save
}

// Missing files: the dancer and the club are fatal, the shadow copy and the props are not.
struct MissingFilesCase {
    const char* name;
    std::vector<std::string> missing;
    int result;
    std::vector<ShownMessage> messages;
    bool shadow;
    int showProps;
};

const MissingFilesCase kMissingFilesCases[] = {
    {"NoClub", {"Club.dat"}, 1, {{"I couldn't find Club.dat!", -1}}, false, 0},
    {"NoDancer", {"Mirel.dat"}, 1, {{"I couldn't find Mirel.dat!", -1}}, false, 0},
    {"NoShadowCopy", {"MirelShadow.dat"}, 0, {}, false, 1},
    {"NoProps", kPropFiles, 0, {}, true, 0},
};

class MissingFilesTest : public SceneFixture,
                         public ::testing::WithParamInterface<MissingFilesCase> {};

TEST_P(MissingFilesTest, FatalOnlyForTheDancerAndTheClub) {
    const MissingFilesCase& c = GetParam();
    LinkAllModelsExcept(c.missing);
    ASSERT_EQ(InitScene(), c.result);
    EXPECT_EQ(m_dialog.shown, c.messages);
    if (c.result != 0) {
        // The fatal message shut the program down with a failure, freeing what was built.
        EXPECT_TRUE(SceneIsEmpty());
        EXPECT_EQ(m_quitStatuses, std::vector<int>{1});
        EXPECT_EQ(theApp.ExitStatus(), 1);
        return;
    }
    EXPECT_TRUE(m_quitStatuses.empty());
    ASSERT_NE(Dancer, nullptr);
    EXPECT_EQ(DancerShadow != nullptr, c.shadow);
    EXPECT_EQ(ShadowsAvailable, c.shadow ? 1 : 0);
    EXPECT_EQ(RenderShadows, c.shadow ? 1 : 0);
    EXPECT_EQ(ShowProps, c.showProps);
}

INSTANTIATE_TEST_SUITE_P(Cases, MissingFilesTest, ::testing::ValuesIn(kMissingFilesCases),
                         CaseName());

// The marker files choose the variant whose files the dancer is loaded from.
struct MarkerCase {
    const char* name;
    std::vector<std::string> markers;
    int variant;
};

const MarkerCase kMarkerCases[] = {
    {"NoMarker", {}, 0},
    {"NudeGirl", {"NudeGirl"}, 2},
    {"SexyGirl", {"SexyGirl"}, 1},
    {"BothSexyGirlWins", {"NudeGirl", "SexyGirl"}, 1},
};

class MarkerFileTest : public SceneFixture, public ::testing::WithParamInterface<MarkerCase> {};

TEST_P(MarkerFileTest, PicksTheVariantFiles) {
    const MarkerCase& c = GetParam();
    LinkAllModelsExcept({"Mirel.dat", "MirelShadow.dat", "MirelSx.dat", "MirelN.dat",
                         "MirelNShadow.dat"});
    // Only the chosen variant's files are there, so loading proves which one was read.
    const char* suffix[] = {"", "Sx", "N"};
    LinkModel(std::string("Mirel") + suffix[c.variant] + ".dat", "Mirel.dat");
    LinkModel(std::string("Mirel") + (c.variant == 2 ? "N" : "") + "Shadow.dat", "MirelShadow.dat");
    for (const std::string& marker : c.markers) WriteFile(marker, "");

    ASSERT_EQ(InitScene(), 0);
    EXPECT_EQ(ModelVariant, c.variant);
    EXPECT_NE(Dancer, nullptr);
    EXPECT_NE(DancerShadow, nullptr);
    EXPECT_TRUE(m_dialog.shown.empty());
}

// With the generated files every marker combination starts, and the dancer wears the
// variant's own costume.
TEST_P(MarkerFileTest, StartsInTheGeneratedCostume) {
    const MarkerCase& c = GetParam();
    LinkAllModelsExcept({});
    for (const std::string& marker : c.markers) WriteFile(marker, "");

    ASSERT_EQ(InitScene(), 0);
    EXPECT_TRUE(m_dialog.shown.empty());
    ASSERT_NE(Dancer, nullptr);
    EXPECT_NE(DancerShadow, nullptr);
    CModelObject plain;
    ASSERT_EQ(plain.Load("Models/Mirel.dat", DancerRecords[CurrentDancer], 0), kLoadOk);
    EXPECT_EQ(ModelColours(*Dancer) == ModelColours(plain), c.variant == 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, MarkerFileTest, ::testing::ValuesIn(kMarkerCases), CaseName());

// The settings file is read after the lights and the probes: what it sets is in force when
// start-up ends.
struct SettingsCase {
    const char* name;
    const char* file;
    bool rayTracer;
    std::vector<int> lightsOn;
    int rt3DShadows;
    int stoolVisible;
};

const SettingsCase kSettingsCases[] = {
    {"OneSpot", "Version 1\nNumRequestedSpots 1\n", false, {1, 0, 0, 0, 0, 1, 0}, 1, 1},
    {"FiveSpots", "Version 1\nNumRequestedSpots 5\n", false, {1, 1, 1, 1, 1, 1, 0}, 1, 1},
    {"SimpleLighting", "Version 1\nSimpleLighting 1\n", false, {0, 0, 0, 0, 0, 0, 1}, 1, 1},
    {"RayTracingKeyWithoutRayTracer",
     "Version 1\nRenderRt3DShadows 1\n",
     false,
     {1, 1, 1, 0, 0, 1, 0},
     0,
     1},
    {"RayTracingKeyWithRayTracer",
     "Version 1\nRenderRt3DShadows 0\n",
     true,
     {1, 1, 1, 0, 0, 1, 0},
     0,
     1},
    {"PropHidden", "Version 1\nRenderStool 0\n", false, {1, 1, 1, 0, 0, 1, 0}, 1, 0},
};

class StartSettingsTest : public SceneFixture,
                          public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(StartSettingsTest, AreInForceAfterStartUp) {
    const SettingsCase& c = GetParam();
    LinkAllModelsExcept({});
    WriteFile("Velmoranth.ini", c.file);
    if (c.rayTracer) RayTracer.RtCheckAvailable = [] { return 0; };

    ASSERT_EQ(InitScene(), 0);
    EXPECT_EQ(RayTracingAvailable, c.rayTracer ? 1 : 0);
    EXPECT_EQ(LightsOn(), c.lightsOn);
    EXPECT_EQ(AppliedSpotCount, ActiveSpotCount);
    EXPECT_EQ(AppliedSimpleLighting, SimpleLighting);
    EXPECT_EQ(RenderRt3DShadows, c.rt3DShadows);
    EXPECT_EQ(RenderRtReflections, 1);  // no line: the start value
    ASSERT_NE(PropModels[kSlotStool], nullptr);
    EXPECT_EQ(PropModels[kSlotStool]->IsVisible(), c.stoolVisible);
}

INSTANTIATE_TEST_SUITE_P(Cases, StartSettingsTest, ::testing::ValuesIn(kSettingsCases), CaseName());

// A sound system that cannot start: it shows its warning, as the real one does.
int FailingSoundInit() {
    ReportMessage("3D sound init error (1). \n\n3D sound will not be available\n\nno device\n",
                  ReportCategory::Sound3D);
    return 1;
}

TEST_F(SceneInitTest, WarningSilencedDuringStartUpIsSavedAtOnce) {
    LinkAllModelsExcept({});
    SoundSystem.SoundInit = FailingSoundInit;
    m_dialog.tickDontDisplay = true;

    ASSERT_EQ(InitScene(), 0);
    ASSERT_EQ(m_dialog.shown.size(), 1u);
    EXPECT_EQ(m_dialog.shown[0].category, ReportCategory::Sound3D);
    EXPECT_EQ(SoundReady, 0);
    EXPECT_NE(ReadFile("Velmoranth.ini").find("\nReport3DSoundWarn 0\n"), std::string::npos);
}

TEST_F(SceneInitTest, WarningSilencedInAnEarlierRunIsNotShown) {
    LinkAllModelsExcept({});
    WriteFile("Velmoranth.ini", "Version 1\nReport3DSoundWarn 0\n");
    SoundSystem.SoundInit = FailingSoundInit;

    ASSERT_EQ(InitScene(), 0);
    EXPECT_TRUE(m_dialog.shown.empty());
    EXPECT_EQ(SettingsDirty, 0);
}

TEST_F(SceneInitTest, WarningShownButNotSilencedWritesNothing) {
    LinkAllModelsExcept({});
    SoundSystem.SoundInit = FailingSoundInit;

    ASSERT_EQ(InitScene(), 0);
    EXPECT_EQ(m_dialog.shown.size(), 1u);
    EXPECT_TRUE(ReadFile("Velmoranth.ini").empty());
}

TEST_F(SceneInitTest, SoundSystemThatStartsIsReady) {
    LinkAllModelsExcept({});
    SoundSystem.SoundInit = [] { return 0; };
    ASSERT_EQ(InitScene(), 0);
    EXPECT_EQ(SoundReady, 1);
}

}  // namespace
