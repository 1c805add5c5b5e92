// The graph the ray tracer builds from the generated club, props and dancer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "animation/human_object.h"
#include "animation/view_options.h"
#include "animation/view_state.h"
#include "model/noise_table.h"
#include "platform/rt/rt_test.h"
#include "raytrace/rt_context.h"
#include "raytrace/rt_frame.h"
#include "raytrace/rt_host.h"
#include "raytrace/rt_scene.h"
#include "raytrace/rt_update.h"
#include "render/eye_render.h"
#include "render/scene_state.h"
#include "tests/model/model_bytes.h"
#include "tests/render/render_fixture.h"
#include "tests/support/case_name.h"

using namespace raytrace;

namespace {

int IntOf(RTobject object, const char* name) {
    int v[4] = {-99, 0, 0, 0};
    EXPECT_TRUE(rtTestVariableInts(rtTestVariable(object, name), v)) << name << " is not an int";
    return v[0];
}

std::vector<float> FloatsOf(RTobject object, const char* name) {
    float v[4] = {};
    if (!rtTestVariableFloats(rtTestVariable(object, name), v)) return {};
    return {v[0], v[1], v[2], v[3]};
}

// The mesh parts of a model in node order: mesh index i is entry i.
std::vector<const CMeshPart*> PartsOf(const CModelObject& model) {
    std::vector<const CMeshPart*> parts;
    for (std::int32_t n = 0; n < model.GetNodeCount(); ++n) {
        const ModelNode& node = model.GetNode(n);
        if (node.type == kNodeMeshPart && node.part) parts.push_back(node.part);
    }
    return parts;
}

class RtGraphTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        m_noise = NoiseValues(1024);
        RtHost = RtHostState{&RayTracingAvailable, &RenderEngine, &m_noise};
        RayTracingAvailable = 1;
        ActiveSpotCount = 3;
        ASSERT_EQ(RtStart(), 0);
    }
    void TearDown() override {
        RtShutdown();
        RayTracingAvailable = 0;
        RtHost = RtHostState{};
        SceneFixture::TearDown();
    }
    std::vector<float> m_noise;
};

TEST_F(RtGraphTest, TheTopGroupHoldsClubPropsFixturesThenTheDancer) {
    std::vector<RTobject> want = {RtScene.clubSelector};
    for (const RtSceneObject* r : {&RtRecords.tableSet4, &RtRecords.tableSet2, &RtRecords.stool,
                                   &RtRecords.speaker}) {
        if (r->selector) want.push_back(r->selector);
    }
    for (const RtSceneObject& f : RtRecords.fixtures) want.push_back(f.selector);
    for (const RtSceneObject* r : {&RtRecords.plant, &RtRecords.booth, &RtRecords.videoGame,
                                   &RtRecords.tableGame}) {
        if (r->selector) want.push_back(r->selector);
    }
    want.push_back(RtRecords.dancer.selector);
    // Every generated prop is there.
    ASSERT_EQ(want.size(), 1u + 4u + 5u + 4u + 1u);
    ASSERT_EQ(rtTestChildCount(RtScene.topGroup), want.size());
    for (unsigned i = 0; i < want.size(); ++i) {
        EXPECT_EQ(rtTestChild(RtScene.topGroup, i), want[i]) << "child " << i;
    }
    EXPECT_EQ(RtScene.dancerChild, static_cast<int>(want.size()) - 1);
    EXPECT_EQ(rtTestVariableObject(rtTestVariable(RtState.context, "topObject")), RtScene.topGroup);
    EXPECT_EQ(rtTestVariableObject(rtTestVariable(RtState.context, "topShadower")), RtScene.topGroup);
}

TEST_F(RtGraphTest, TheClubSelectorChoosesBetweenFloorAndClub) {
    const RTselector club = RtScene.clubSelector;
    ASSERT_EQ(rtTestChildCount(club), 2u);
    EXPECT_EQ(rtTestChild(club, 0), RtRecords.floor.modelGroup);
    EXPECT_EQ(rtTestChild(club, 1), RtRecords.club.instanceTransforms[0]);
    EXPECT_EQ(rtTestChild(RtRecords.club.instanceTransforms[0], 0), RtRecords.club.modelGroup);
    EXPECT_EQ(IntOf(club, "selectorIndex"), 1);
    EXPECT_EQ(IntOf(club, "maxSelector"), 2);
    RtShowClub(0);
    EXPECT_EQ(IntOf(club, "selectorIndex"), 0);
    // The props and fixtures go with the club.
    EXPECT_EQ(IntOf(RtRecords.stool.selector, "selectorIndex"), 1);
    EXPECT_EQ(IntOf(RtRecords.fixtures[0].selector, "selectorIndex"), 1);
}

TEST_F(RtGraphTest, ModelSelectorsHoldTheirPlacementsAndStartShown) {
    for (const RtSceneObject* r : {&RtRecords.tableSet4, &RtRecords.tableSet2, &RtRecords.stool,
                                   &RtRecords.speaker, &RtRecords.plant, &RtRecords.booth,
                                   &RtRecords.videoGame, &RtRecords.tableGame, &RtRecords.dancer}) {
        ASSERT_NE(r->selector, nullptr);
        EXPECT_EQ(rtTestChildCount(r->selector), 1u);
        EXPECT_EQ(IntOf(r->selector, "selectorIndex"), 0);
        EXPECT_EQ(IntOf(r->selector, "maxSelector"), 1);
        // A model placed once has no instance group.
        const RTobject placement = r->instanceCount > 1 ? static_cast<RTobject>(r->instanceGroup)
                                                        : static_cast<RTobject>(r->instanceTransforms[0]);
        EXPECT_EQ(r->instanceGroup != nullptr, r->instanceCount > 1);
        EXPECT_EQ(rtTestChild(r->selector, 0), placement);
        for (int j = 0; j < r->instanceCount; ++j) {
            EXPECT_EQ(rtTestChild(r->instanceTransforms[j], 0), r->modelGroup);
        }
    }
}

TEST_F(RtGraphTest, FixturesFollowTheSpotCountEveryFrame) {
    for (int k = 0; k < kRtFixtureCount; ++k) {
        EXPECT_EQ(IntOf(RtRecords.fixtures[k].selector, "selectorIndex"), k < 3 ? 0 : 1) << k;
        EXPECT_NE(RtScene.fixtureColors[k], nullptr) << "fixture " << k << " has no colour of its own";
    }
    // The Lights page changes the count without a club switch; the next frame shows it.
    ActiveSpotCount = 5;
    RtUpdateSpotLights(FrameLightSet);
    for (int k = 0; k < kRtFixtureCount; ++k) EXPECT_EQ(IntOf(RtRecords.fixtures[k].selector, "selectorIndex"), 0);
    ActiveSpotCount = 1;
    RtUpdateSpotLights(FrameLightSet);
    for (int k = 0; k < kRtFixtureCount; ++k) {
        EXPECT_EQ(IntOf(RtRecords.fixtures[k].selector, "selectorIndex"), k < 1 ? 0 : 1);
    }
    ActiveSpotCount = 3;
}

// What the lights buffer holds now.
RtLightsRecord UploadedLights() {
    RtLightsRecord record{};
    void* data = nullptr;
    if (rtBufferMap(RtState.lightsBuffer, &data) == RT_SUCCESS && data) {
        std::memcpy(&record, data, sizeof record);
    }
    rtBufferUnmap(RtState.lightsBuffer);
    return record;
}

TEST_F(RtGraphTest, ARestartKeepsTheIdleSpotsEntriesAndSetsOnlyTheMainLightAfresh) {
    FrameLightRecord lights{};
    lights.attenuation = 1.6f;
    for (int i = 0; i < 5; ++i) {
        lights.spotColor[i][0] = 0.1f * static_cast<float>(i + 1);
        lights.spotDirection[i][1] = -1.0f;
        lights.spotPosition[i][0] = 100.0f * static_cast<float>(i);
        lights.spotCosCutoff[i] = 0.5f;
        lights.spotCosOuter[i] = 0.4f;
        lights.spotOn[i] = 1;
    }
    std::fill_n(lights.mainColor, 3, 0.3f);
    ActiveSpotCount = 5;
    RtUpdateLights(lights);
    ActiveSpotCount = 3;
    // The engine switched off and on again, as the Rendering menu does.
    RtShutdown();
    ASSERT_EQ(RtStart(), 0);
    const RtLightsRecord first = UploadedLights();
    EXPECT_EQ(first.mainColor[0], 0.9f);
    EXPECT_EQ(first.mainPosition[0], 30000.0f);
    for (int i = 3; i < 5; ++i) {
        SCOPED_TRACE("spot " + std::to_string(i));
        EXPECT_EQ(first.spotColor[i][0], lights.spotColor[i][0]);
        EXPECT_EQ(first.spotPosition[i][0], lights.spotPosition[i][0]);
        EXPECT_EQ(first.spotPosition[i][1], -200.0f) << "the light sits in front of its fixture";
        EXPECT_EQ(first.spotCosCutoff[i], 0.5f);
        EXPECT_EQ(first.spotCosCutoffOuter[i], 0.4f);
    }
}

TEST_F(RtGraphTest, APartBuiltMidDanceStartsFromItsRestPositions) {
    const float rest[] = {0, 0, 0, 100, 0, 0, 0, 100, 0};
    const std::uint32_t quad[] = {0, 1, 2, 2};
    CMeshPart part;
    part.SetVertexCount(3);
    part.SetQuadCount(1);
    part.SetDeforming(1);
    part.SetVertices(rest);
    part.SetQuads(quad);
    const float bent[3] = {50, 50, 50};
    part.SetVertex(1, bent);
    RtSceneObject record;
    RtCreateMeshGeometry(part, nullptr, 0, record);
    record.meshCount = 1;
    float uploaded[9] = {};
    void* data = nullptr;
    ASSERT_EQ(rtBufferMap(record.vertexBuffers[0], &data), RT_SUCCESS);
    std::memcpy(uploaded, data, sizeof uploaded);
    rtBufferUnmap(record.vertexBuffers[0]);
    RtDestroyObject(record);
    EXPECT_EQ(std::vector<float>(uploaded, uploaded + 9), std::vector<float>(rest, rest + 9));
}

TEST_F(RtGraphTest, EveryNamedTextureOfTheClubLoadsAndNoneNeverDoes) {
    const std::vector<const CMeshPart*> parts = PartsOf(*ClubModel);
    int textured = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const char* name = parts[i]->GetTextureName();
        const bool named = name && *name && std::string(name) != "none" && parts[i]->IsTextured();
        const RTgeometryinstance gi = RtRecords.club.geometryInstances[i];
        EXPECT_EQ(IntOf(gi, "isTextured"), named ? 1 : 0) << "part " << i;
        EXPECT_EQ(RtRecords.club.textureSamplers[i] != nullptr, named) << "part " << i;
        textured += named;
    }
    EXPECT_GT(textured, 0) << "the generated club has its ceiling and carpet textures";
}

TEST_F(RtGraphTest, TheCameraTakesTheEyeAndTheBackgroundFollowsTheClub) {
    RtCameraRecord camera{{1, 2, 3}, {0, 0, -1}, {0, 1, 0}, 0.25f, 2.0f};
    ShowClub = 1;
    RtUpdateCamera(camera);
    EXPECT_EQ(FloatsOf(RtState.miss, "bgColor"), (std::vector<float>{0, 0, 0, 0}));
    EXPECT_EQ(FloatsOf(RtState.camera, "cameraPos"), (std::vector<float>{1, 2, 3, 0}));
    // The screen's right: direction x up.
    EXPECT_EQ(FloatsOf(RtState.camera, "cameraSide"), (std::vector<float>{1, 0, 0, 0}));
    EXPECT_EQ(FloatsOf(RtState.camera, "fovScale")[0], 0.25f);
    EXPECT_EQ(FloatsOf(RtState.camera, "aspectRatio")[0], 2.0f);
    ShowClub = 0;
    RtUpdateCamera(camera);
    EXPECT_EQ(FloatsOf(RtState.miss, "bgColor"), (std::vector<float>{1, 1, 1, 0}));
    ShowClub = 1;
}

struct PartLimitCase {
    std::string name;
    std::uint32_t type;
    int parts;
    int built;    // mesh parts in the record, the club's mirrors included
    int skipped;  // parts left out
};

class RtPartLimit : public RtGraphTest, public ::testing::WithParamInterface<PartLimitCase> {};

TEST_P(RtPartLimit, PartsBeyondTheRecordsRoomAreLeftOutAndTheRestBuilt) {
    const PartLimitCase& c = GetParam();
    ModelBytes file;
    for (int p = 0; p < c.parts; ++p) file.Append(Part(Triangle()));
    file.End();
    std::vector<ModelPartEntry> entries(static_cast<std::size_t>(c.parts),
                                        ModelPartEntry{{0, 0, 0, 0, 0, 0, 0, 0}, "none"});
    ModelRecord record{};
    record.name = "Many";
    record.type = c.type;
    record.partCount = entries.size();
    record.parts = entries.data();
    CModelObject model;
    ASSERT_EQ(model.LoadBytes(file.bytes, record, 1), kLoadOk);
    const long live = rtTestLiveObjectCount();
    RtSceneObject built;
    RtBuildModelGeometry(model, RtScene.material, nullptr, built);
    EXPECT_EQ(built.meshCount, c.built);
    EXPECT_EQ(built.skippedParts, c.skipped);
    EXPECT_EQ(rtTestChildCount(built.modelGroup), static_cast<unsigned>(c.built));
    for (int i = 0; i < c.built; ++i) {
        EXPECT_EQ(rtTestChild(built.modelGroup, static_cast<unsigned>(i)), built.partTransforms[i]) << i;
    }
    RtDestroyObject(built);
    EXPECT_EQ(rtTestLiveObjectCount(), live);
}

INSTANTIATE_TEST_SUITE_P(
    Models, RtPartLimit,
    ::testing::Values(PartLimitCase{"PropWithRoomToSpare", kTypeTable4, 99, 99, 0},
                      PartLimitCase{"PropFillingTheRecord", kTypeTable4, 100, 100, 0},
                      PartLimitCase{"PropBeyondTheRecord", kTypeTable4, 130, 100, 30},
                      PartLimitCase{"ClubKeepsRoomForItsMirrors", kTypeClub, 100, 100, 1}),
    CaseName{});

struct BufferCase {
    std::string name;
    RtSceneObject RtSceneRecords::*record;
    const CModelObject* (*model)();
};

class RtBufferShapes : public RtGraphTest, public ::testing::WithParamInterface<BufferCase> {};

void ExpectShape(RTbuffer buffer, RTformat format, RTsize width, const char* what) {
    RTformat f = RT_FORMAT_UNKNOWN;
    RTsize w = 99, h = 99;
    ASSERT_TRUE(rtTestBufferShape(buffer, &f, &w, &h)) << what;
    EXPECT_EQ(f, format) << what;
    EXPECT_EQ(w, width) << what;
    EXPECT_EQ(h, 1u) << what;
}

TEST_P(RtBufferShapes, EveryPartHasItsBuffersInFormatAndSize) {
    const RtSceneObject& r = RtRecords.*GetParam().record;
    const std::vector<const CMeshPart*> parts = PartsOf(*GetParam().model());
    ASSERT_GE(r.meshCount, static_cast<int>(parts.size()));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        SCOPED_TRACE("part " + std::to_string(i));
        const CMeshPart& p = *parts[i];
        const RTsize v = p.GetVertexCount();
        ExpectShape(r.vertexBuffers[i], RT_FORMAT_FLOAT3, v, "vertices");
        ExpectShape(r.normalBuffers[i], RT_FORMAT_FLOAT3, p.HasVertexNormals() && p.GetBaseNormals() ? v : 0, "normals");
        ExpectShape(r.colorBuffers[i], RT_FORMAT_FLOAT4,
                    (p.HasFaceColors() || p.HasVertexColors()) && p.GetColors() ? v : 0, "colours");
        ExpectShape(r.texCoordBuffers[i], RT_FORMAT_FLOAT2, p.IsTextured() && p.GetTexCoords() ? v : 0, "uv");
        ExpectShape(r.indexBuffers[i], RT_FORMAT_INT3, 2u * p.GetQuadCount(), "indices");
        EXPECT_LE(rtTestPrimitiveCount(r.geometries[i]), 2u * p.GetQuadCount());
        EXPECT_GE(rtTestPrimitiveCount(r.geometries[i]), p.GetQuadCount() - static_cast<unsigned>(r.skippedTriangles));
        EXPECT_EQ(rtTestChild(r.partTransforms[i], 0), r.geometryGroups[i]);
        EXPECT_EQ(rtTestChild(r.geometryGroups[i], 0), r.geometryInstances[i]);
        EXPECT_EQ(rtTestChild(r.modelGroup, static_cast<unsigned>(i)), r.partTransforms[i]);
    }
    EXPECT_EQ(r.skippedTriangles, 0) << "the generated models name only their own vertices";
}

INSTANTIATE_TEST_SUITE_P(
    Models, RtBufferShapes,
    ::testing::Values(BufferCase{"Dancer", &RtSceneRecords::dancer, [] { return static_cast<const CModelObject*>(Dancer); }},
                      BufferCase{"Club", &RtSceneRecords::club, [] { return static_cast<const CModelObject*>(ClubModel); }},
                      BufferCase{"Booth", &RtSceneRecords::booth, [] { return static_cast<const CModelObject*>(PropModels[kSlotBooth]); }},
                      BufferCase{"TableSet4", &RtSceneRecords::tableSet4,
                                 [] { return static_cast<const CModelObject*>(PropModels[kSlotTable4]); }}),
    CaseName{});

// The instance variables of one part; reflectivity -1 when it must not be declared.
struct InstanceCase {
    std::string name;
    RtSceneObject RtSceneRecords::*record;
    int part;  // -1: the last part (the club's mirrors)
    float reflectivity;
    float ambient;
    const CModelObject* (*model)();  // null: no model part to check the flags against
};

class RtInstanceVariables : public RtGraphTest, public ::testing::WithParamInterface<InstanceCase> {};

TEST_P(RtInstanceVariables, CarryTheLookOfTheirPart) {
    const InstanceCase& c = GetParam();
    const RtSceneObject& r = RtRecords.*c.record;
    const int i = c.part >= 0 ? c.part : r.meshCount - 1;
    const RTgeometryinstance gi = r.geometryInstances[i];
    ASSERT_NE(gi, nullptr);
    const std::vector<float> reflectivity = FloatsOf(gi, "reflectivity");
    if (c.reflectivity < 0) {
        EXPECT_TRUE(reflectivity.empty());
        EXPECT_EQ(rtTestVariable(gi, "isWood"), nullptr);
        EXPECT_EQ(rtTestVariable(gi, "isBumpMapped"), nullptr);
    } else {
        ASSERT_EQ(reflectivity.size(), 4u);
        EXPECT_FLOAT_EQ(reflectivity[0], c.reflectivity);
        EXPECT_FLOAT_EQ(reflectivity[2], c.reflectivity);
    }
    const std::vector<float> ambient = FloatsOf(gi, "ambientLightColor");
    ASSERT_EQ(ambient.size(), 4u);
    EXPECT_FLOAT_EQ(ambient[1], c.ambient);
    if (!c.model) {
        EXPECT_EQ(IntOf(gi, "isTextured"), 0);
        EXPECT_EQ(rtTestVariable(gi, "texId"), nullptr);
        return;
    }
    const CMeshPart& part = *PartsOf(*c.model())[static_cast<std::size_t>(i)];
    EXPECT_EQ(IntOf(gi, "isLuminous"), part.IsLuminous());
    EXPECT_EQ(IntOf(gi, "isShiny"), part.IsShiny());
    EXPECT_EQ(IntOf(gi, "isWood"), part.IsWood());
    EXPECT_EQ(IntOf(gi, "isReflective"), part.IsReflective());
    EXPECT_EQ(IntOf(gi, "isToon"), part.IsToon());
    EXPECT_EQ(IntOf(gi, "isBumpMapped"), part.IsBumpMapped());
    EXPECT_EQ(IntOf(gi, "isTextured") == 1, rtTestVariable(gi, "texId") != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, RtInstanceVariables,
    ::testing::Values(
        InstanceCase{"DancerPart", &RtSceneRecords::dancer, 0, 0.8f, 0.6f,
                     [] { return static_cast<const CModelObject*>(Dancer); }},
        InstanceCase{"ClubPart", &RtSceneRecords::club, 1, 0.8f, 0.125f,
                     [] { return static_cast<const CModelObject*>(ClubModel); }},
        InstanceCase{"PropPart", &RtSceneRecords::tableSet4, 1, 0.8f, 0.125f,
                     [] { return static_cast<const CModelObject*>(PropModels[kSlotTable4]); }},
        InstanceCase{"ClubMirrors", &RtSceneRecords::club, -1, 0.4f, 0.125f, nullptr},
        InstanceCase{"Floor", &RtSceneRecords::floor, 0, -1.0f, 0.05f, nullptr}),
    CaseName{});

}  // namespace
