// The scene graph: built once at start-up from the models, released record by record.

#include "raytrace/rt_scene.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "animation/human_object.h"
#include "model/matrix_stack.h"
#include "model/model_object.h"
#include "model/vec_math.h"
#include "raytrace/rt_handles.h"
#include "raytrace/rt_scene_parts.h"
#include "render/scene_state.h"

namespace raytrace {

RtSceneRecords RtRecords;
RtSceneState RtScene;

namespace {

constexpr unsigned kTopChildRoom = 100;
constexpr RtAccelSettings kStaticPart = {"Sbvh", "Bvh", true, false};
constexpr RtAccelSettings kDeformingPart = {"Lbvh", "Bvh", true, true};

RTtransform CreateTransform(RTobject child, const float* matrix) {
    RTtransform transform = nullptr;
    rtTransformCreate(RtState.context, &transform);
    rtTransformSetChild(transform, child);
    rtTransformSetMatrix(transform, 1, matrix, nullptr);
    return transform;
}

RTselector CreateSelector(unsigned children, int index, int maxSelector, RTvariable* indexVar) {
    RTselector selector = nullptr;
    rtSelectorCreate(RtState.context, &selector);
    rtSelectorSetVisitProgram(selector, RtState.visit);
    rtSelectorSetChildCount(selector, children);
    RTvariable v = nullptr;
    rtSelectorDeclareVariable(selector, "selectorIndex", &v);
    rtVariableSet1i(v, index);
    if (indexVar) *indexVar = v;
    RTvariable max = nullptr;
    rtSelectorDeclareVariable(selector, "maxSelector", &max);
    rtVariableSet1i(max, maxSelector);
    return selector;
}

// The rotation of instance i about x, y and z, in degrees on the model.
void InstanceRotation(const CModelObject& model, int i, float* out) {
    Mat4RotateXYZ(out, DegToRad(model.GetRotX(i)), DegToRad(model.GetRotY(i)),
                  DegToRad(model.GetRotZ(i)));
}

// The club's four black mirrors, lying over the fixed room.
void BuildClubMirrors(CMeshPart& part) {
    static const float kPositions[16][3] = {
        {790.8f, 4590, 10063.4f},       {-1909.2f, 4590, 15061.4f},   {-9619.2f, 4590, 14851.4f},
        {-12235.2f, 4590, 10117.4f},    {-9681.2f, 4600, -4992.2f},   {-8253.2f, 4600, 2084.8f},
        {-17115.2f, 4600, 2245.8f},     {-17115.2f, 4600, 2245.8f},   {35900, 4660, -16584},
        {2489, 4660, 18606},            {-14791, 4660, 1596},         {-14791, 4660, 1596},
        {-18548.5f, 1166.35f, -9205.05f}, {-16999.45f, 4255.4f, -7548.35f},
        {-25801.85f, 4191.2f, 1499.1f}, {-27456.95f, 1166.35f, 20.05f},
    };
    float normals[16][3];
    float colours[16][4];
    float uv[16][2];
    std::uint32_t quads[16];
    const float kTilted[3] = {0.580222f, -0.591331f, 0.560063f};
    const float kCorners[4][2] = {{1, 1}, {1, 0}, {0, 0}, {0, 1}};
    for (int k = 0; k < 16; ++k) {
        const float down[3] = {0, -1, 0};
        std::memcpy(normals[k], k < 12 ? down : kTilted, sizeof normals[k]);
        const float black[4] = {0, 0, 0, 1};
        std::memcpy(colours[k], black, sizeof colours[k]);
        std::memcpy(uv[k], kCorners[k % 4], sizeof uv[k]);
        quads[k] = static_cast<std::uint32_t>(k);
    }
    part.SetVertexCount(16);
    part.SetQuadCount(4);
    part.SetHasVertexNormals(1);
    part.SetHasVertexColors(1);
    part.SetShiny(1);
    part.SetReflective(1);
    part.SetVertices(&kPositions[0][0]);
    part.SetNormals(&normals[0][0]);
    part.SetColors(&colours[0][0]);
    part.SetTexCoords(&uv[0][0]);
    part.SetQuads(quads);
}

struct PartLook {
    float reflectivity;
    float ambient;
};

// Steps shared by every part: geometry, its instance and variables, group, acceleration and
// the part's transform at the matrix stack's top. Returns the instance's isTextured variable.
RTvariable BuildPart(const CMeshPart& part, RTmaterial material, RTvariable* colourSlot, int i,
                     RtSceneObject& record, const MatrixStack& stack, PartLook look) {
    RtCreateMeshGeometry(part, colourSlot, i, record);
    RTgeometryinstance& instance = record.geometryInstances[i];
    RtCreateGeometryInstance(record.geometries[i], material, instance);
    RtSetInstanceFloat3(instance, "reflectivity", look.reflectivity);
    RtSetInstanceFloat3(instance, "ambientLightColor", look.ambient);
    RtSetInstanceInt(instance, "isLuminous", part.IsLuminous());
    RtSetInstanceInt(instance, "isShiny", part.IsShiny());
    RtSetInstanceInt(instance, "isWood", part.IsWood());
    RtSetInstanceInt(instance, "isReflective", part.IsReflective());
    RtSetInstanceInt(instance, "isToon", part.IsToon());
    RtSetInstanceInt(instance, "isBumpMapped", part.IsBumpMapped());
    RTvariable textured = RtSetInstanceInt(instance, "isTextured", 0);
    RtCreatePartGroup(record, i, part.IsDeforming() ? kDeformingPart : kStaticPart);
    float top[16];
    stack.GetTop(top);
    record.partTransforms[i] = CreateTransform(record.geometryGroups[i], top);
    return textured;
}

bool HasTexture(const CMeshPart& part) {
    const char* name = part.GetTextureName();
    return name && name[0] && std::strcmp(name, "none") != 0 && part.IsTextured();
}

void AddTopChild(RTselector selector, unsigned& counter) {
    if (selector && rtGroupSetChild(RtScene.topGroup, counter, selector) == RT_SUCCESS) ++counter;
}

// A model's parts, instances and selector, as a top-group child; the dancer's slot is kept.
void BuildItem(const CModelObject* model, RtSceneObject& record, int instances, unsigned& counter,
               RTvariable* colourSlot) {
    if (!model) return;
    RtBuildModelGeometry(*model, RtScene.material, colourSlot, record);
    RtBuildModelInstances(*model, record, instances);
    AddTopChild(record.selector, counter);
}

void BuildClubSelector(unsigned& counter) {
    RTtransform clubTransform = nullptr;
    if (ClubModel) {
        RtBuildModelGeometry(*ClubModel, RtScene.material, nullptr, RtRecords.club);
        float position[3];
        ClubModel->GetPosition(position, 0);
        float t[16], r[16], m[16];
        Mat4Translation(t, -position[0], position[1], -position[2]);
        InstanceRotation(*ClubModel, 0, r);
        Mat4Multiply(t, r, m);
        clubTransform = CreateTransform(RtRecords.club.modelGroup, m);
        RtRecords.club.instanceTransforms[0] = clubTransform;
    }
    RtScene.clubSelector = CreateSelector(2, 1, 2, &RtScene.clubSelectorIndex);
    if (RtRecords.floor.modelGroup) rtSelectorSetChild(RtScene.clubSelector, 0, RtRecords.floor.modelGroup);
    if (clubTransform) rtSelectorSetChild(RtScene.clubSelector, 1, clubTransform);
    AddTopChild(RtScene.clubSelector, counter);
}

void DestroyParts(RtSceneObject& r) {
    for (int i = 0; i < kRtMaxMeshParts; ++i) {
        for (RtPartHandles<RTbuffer>* buffers : {&r.vertexBuffers, &r.normalBuffers, &r.colorBuffers,
                                                 &r.texCoordBuffers, &r.indexBuffers, &r.textureBuffers}) {
            DestroyIf((*buffers)[i], rtBufferDestroy);
        }
        DestroyIf(r.geometries[i], rtGeometryDestroy);
        DestroyIf(r.partTransforms[i], rtTransformDestroy);
        DestroyIf(r.partAccelerations[i], rtAccelerationDestroy);
        DestroyIf(r.geometryGroups[i], rtGeometryGroupDestroy);
        DestroyIf(r.geometryInstances[i], rtGeometryInstanceDestroy);
        DestroyIf(r.textureSamplers[i], rtTextureSamplerDestroy);
    }
}

}  // namespace

void RtCreateGeometryInstance(RTgeometry geometry, RTmaterial material,
                              RTgeometryinstance& instance) {
    rtGeometryInstanceCreate(RtState.context, &instance);
    rtGeometryInstanceSetGeometry(instance, geometry);
    rtGeometryInstanceSetMaterialCount(instance, 1);
    rtGeometryInstanceSetMaterial(instance, 0, material);
}

RTvariable RtSetInstanceInt(RTgeometryinstance instance, const char* name, int value) {
    RTvariable v = nullptr;
    rtGeometryInstanceDeclareVariable(instance, name, &v);
    rtVariableSet1i(v, value);
    return v;
}

void RtSetInstanceFloat3(RTgeometryinstance instance, const char* name, float value) {
    RTvariable v = nullptr;
    rtGeometryInstanceDeclareVariable(instance, name, &v);
    rtVariableSet3f(v, value, value, value);
}

void RtCreatePartGroup(RtSceneObject& record, int i, const RtAccelSettings& settings) {
    RTgeometrygroup& group = record.geometryGroups[i];
    rtGeometryGroupCreate(RtState.context, &group);
    rtGeometryGroupSetChildCount(group, 1);
    rtGeometryGroupSetChild(group, 0, record.geometryInstances[i]);
    RTacceleration& accel = record.partAccelerations[i];
    rtAccelerationCreate(RtState.context, &accel);
    rtAccelerationSetBuilder(accel, settings.builder);
    rtAccelerationSetTraverser(accel, settings.traverser);
    rtAccelerationSetProperty(accel, "vertex_buffer_name", "vertexBuffer");
    rtAccelerationSetProperty(accel, "index_buffer_name", "vertIndexBuffer");
    if (settings.refit) rtAccelerationSetProperty(accel, "refit", "1");
    if (settings.refine) rtAccelerationSetProperty(accel, "refine", "1");
    rtGeometryGroupSetAcceleration(group, accel);
    rtAccelerationMarkDirty(accel);
}

RTacceleration RtCreateGroupAcceleration(RTgroup group) {
    RTacceleration accel = nullptr;
    rtAccelerationCreate(RtState.context, &accel);
    rtAccelerationSetBuilder(accel, "Bvh");
    rtAccelerationSetTraverser(accel, "Bvh");
    rtGroupSetAcceleration(group, accel);
    rtAccelerationMarkDirty(accel);
    return accel;
}

int RtBuildModelGeometry(const CModelObject& model, RTmaterial material, RTvariable* colourSlot,
                         RtSceneObject& record) {
    MatrixStack stack;
    const bool club = model.GetType() == kTypeClub;
    const PartLook look = {0.8f, CModelObject::IsDancerType(model.GetType()) ? 0.6f : 0.125f};
    // The club keeps the last slot for its mirrors.
    const int room = kRtMaxMeshParts - (club ? 1 : 0);
    int i = 0;
    for (std::int32_t n = 0; n < model.GetNodeCount(); ++n) {
        const ModelNode& node = model.GetNode(n);
        if (node.type == kNodePopMatrix) stack.Pop();
        if (node.type == kNodePushMatrix) stack.Push();
        if (node.type == kNodeJoint && node.transform) stack.MultTop(node.transform->restMatrix);
        if (node.type != kNodeMeshPart || !node.part) continue;
        if (i >= room) {
            ++record.skippedParts;
            continue;
        }
        const CMeshPart& part = *node.part;
        RTvariable textured = BuildPart(part, material, colourSlot, i, record, stack, look);
        if (HasTexture(part)) {
            const std::string path = std::string("Models/") + part.GetTextureName();
            if (RtCreateTexture(i, record, path.c_str(), club ? 1 : 0) == 0) rtVariableSet1i(textured, 1);
        }
        ++i;
    }
    if (club) {
        CMeshPart mirrors;
        BuildClubMirrors(mirrors);
        BuildPart(mirrors, material, colourSlot, i, record, stack, {0.4f, 0.125f});
        ++i;
    }
    if (record.skippedParts > 0) {
        std::fprintf(stderr, "ray tracer: %d mesh parts beyond the first %d left out\n",
                     record.skippedParts, room);
    }
    record.meshCount = i;
    RtCreateModelGroup(record, static_cast<unsigned>(i),
                       [&](unsigned j) -> RTobject { return record.partTransforms[j]; });
    return 0;
}

int RtBuildModelInstances(const CModelObject& model, RtSceneObject& record, int count) {
    const int n = count < 0 ? 0 : (count > kRtMaxInstances ? kRtMaxInstances : count);
    for (int j = 0; j < n; ++j) {
        float r[16], t[16], m[16];
        InstanceRotation(model, j, r);
        float position[3];
        model.GetPosition(position, j);
        Mat4Translation(t, position[0], position[1], position[2]);
        Mat4Multiply(r, t, m);
        record.instanceTransforms[j] = CreateTransform(record.modelGroup, m);
    }
    record.instanceCount = n;
    if (n == 0) return 0;  // nothing placed: no selector, no top-group child
    if (n > 1) {
        rtGroupCreate(RtState.context, &record.instanceGroup);
        rtGroupSetChildCount(record.instanceGroup, static_cast<unsigned>(n));
        for (int j = 0; j < n; ++j) {
            rtGroupSetChild(record.instanceGroup, static_cast<unsigned>(j), record.instanceTransforms[j]);
        }
        record.instanceAcceleration = RtCreateGroupAcceleration(record.instanceGroup);
    }
    record.selector = CreateSelector(1, 0, 1, &record.selectorIndexVar);
    const RTobject child = n > 1 ? static_cast<RTobject>(record.instanceGroup)
                                 : static_cast<RTobject>(record.instanceTransforms[0]);
    rtSelectorSetChild(record.selector, 0, child);
    return 0;
}

int RtBuildScene() {
    rtMaterialCreate(RtState.context, &RtScene.material);
    rtMaterialSetClosestHitProgram(RtScene.material, 0, RtState.closestHitRadiance);
    rtMaterialSetAnyHitProgram(RtScene.material, 1, RtState.anyHitShadow);
    rtGroupCreate(RtState.context, &RtScene.topGroup);
    rtGroupSetChildCount(RtScene.topGroup, kTopChildRoom);
    unsigned counter = 0;
    RtBuildFloorGeometry(RtScene.material, RtRecords.floor);
    BuildClubSelector(counter);
    auto prop = [](PropSlot slot) { return PropModels[slot]; };
    auto instances = [](const CModelObject* m) { return m ? m->GetInstanceCount() : 0; };
    const PropSlot front[] = {kSlotTable4, kSlotTable2, kSlotStool, kSlotSpeaker};
    RtSceneObject* frontRecords[] = {&RtRecords.tableSet4, &RtRecords.tableSet2, &RtRecords.stool,
                                     &RtRecords.speaker};
    for (int k = 0; k < 4; ++k) {
        BuildItem(prop(front[k]), *frontRecords[k], instances(prop(front[k])), counter, nullptr);
    }
    for (int k = 0; k < kRtFixtureCount; ++k) {
        RTvariable colour = nullptr;
        BuildItem(prop(kSlotSpotLight), RtRecords.fixtures[k], 1, counter, &colour);
        RtScene.fixtureColors[k] = colour;
    }
    const PropSlot back[] = {kSlotPlant, kSlotBooth, kSlotVideoGame, kSlotTableGame};
    RtSceneObject* backRecords[] = {&RtRecords.plant, &RtRecords.booth, &RtRecords.videoGame,
                                    &RtRecords.tableGame};
    for (int k = 0; k < 4; ++k) {
        BuildItem(prop(back[k]), *backRecords[k], instances(prop(back[k])), counter, nullptr);
    }
    const unsigned beforeDancer = counter;
    BuildItem(Dancer, RtRecords.dancer, instances(Dancer), counter, nullptr);
    RtScene.dancerChild = counter > beforeDancer ? static_cast<int>(beforeDancer) : -1;
    rtGroupSetChildCount(RtScene.topGroup, counter);
    for (const char* name : {"topObject", "topShadower"}) {
        RTvariable v = nullptr;
        rtContextDeclareVariable(RtState.context, name, &v);
        rtVariableSetObject(v, RtScene.topGroup);
    }
    RtScene.topAcceleration = RtCreateGroupAcceleration(RtScene.topGroup);
    return 0;
}

void RtDestroyObject(RtSceneObject& r) {
    DestroyParts(r);
    for (RTtransform& t : r.instanceTransforms) DestroyIf(t, rtTransformDestroy);
    DestroyIf(r.instanceAcceleration, rtAccelerationDestroy);
    DestroyIf(r.instanceGroup, rtGroupDestroy);
    DestroyIf(r.modelAcceleration, rtAccelerationDestroy);
    DestroyIf(r.modelGroup, rtGroupDestroy);
    DestroyIf(r.selector, rtSelectorDestroy);
    r = RtSceneObject{};
}

void RtDestroyRecords() {
    RtDestroyObject(RtRecords.dancer);
    for (RtSceneObject* r : {&RtRecords.floor, &RtRecords.club, &RtRecords.tableSet4,
                             &RtRecords.tableSet2, &RtRecords.stool, &RtRecords.speaker}) {
        RtDestroyObject(*r);
    }
    for (RtSceneObject& fixture : RtRecords.fixtures) RtDestroyObject(fixture);
    for (RtSceneObject* r : {&RtRecords.plant, &RtRecords.booth, &RtRecords.videoGame,
                             &RtRecords.tableGame}) {
        RtDestroyObject(*r);
    }
}

void RtDestroySceneNodes() {
    DestroyIf(RtScene.topAcceleration, rtAccelerationDestroy);
    DestroyIf(RtScene.topGroup, rtGroupDestroy);
    DestroyIf(RtScene.material, rtMaterialDestroy);
    DestroyIf(RtScene.clubSelector, rtSelectorDestroy);
    RtScene = RtSceneState{};
}

}  // namespace raytrace
