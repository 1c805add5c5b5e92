#include "raytrace/rt_update.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "animation/human_object.h"
#include "animation/light_object.h"
#include "animation/light_show.h"
#include "model/display_options.h"
#include "model/vec_math.h"
#include "raytrace/rt_context.h"
#include "raytrace/rt_host.h"
#include "raytrace/rt_scene.h"
#include "render/scene_helpers.h"
#include "render/scene_state.h"

namespace raytrace {

namespace {

constexpr float kSpotLead = 200.0f;  // the light sits this far in front of the fixture
constexpr double kDegreesPerRadian = 57.29577791868205;

int Switch(const int* value) { return value ? *value : 0; }

void SetSwitches() {
    rtVariableSet1i(RtState.toonShading, ToonShading);
    rtVariableSet1i(RtState.fillLightOn, MainLight && MainLight->IsEnabled() ? 1 : 0);
    rtVariableSet1i(RtState.renderShadows, Switch(RtHost.renderShadows));
    rtVariableSet1i(RtState.renderReflections, Switch(RtHost.renderReflections));
    rtVariableSet1i(RtState.renderTextures, DisplayTextures);
    rtVariableSet1i(RtState.render3DTextures, Switch(RtHost.render3DTextures));
}

// Copies count floats into a buffer through map and unmap.
void Upload(RTbuffer buffer, const float* values, std::size_t count, float sign) {
    void* data = nullptr;
    if (rtBufferMap(buffer, &data) != RT_SUCCESS || !data) return;
    auto* out = static_cast<float*>(data);
    for (std::size_t k = 0; k < count; ++k) out[k] = sign * values[k];
    rtBufferUnmap(buffer);
}

}  // namespace

void RtFillLightsRecord(RtLightsRecord& r, const FrameLightRecord& lights, int activeSpots) {
    std::copy_n(lights.mainColor, 3, r.mainColor);
    std::copy_n(lights.mainPosition, 3, r.mainPosition);
    r.attenuation = lights.attenuation;
    const int active = std::clamp(activeSpots, 0, 5);
    for (int i = 0; i < active; ++i) {
        std::copy_n(lights.spotColor[i], 3, r.spotColor[i]);
        std::copy_n(lights.spotDirection[i], 3, r.spotDirection[i]);
        for (int c = 0; c < 3; ++c) {
            r.spotPosition[i][c] = lights.spotPosition[i][c] + kSpotLead * lights.spotDirection[i][c];
        }
        r.spotCosCutoff[i] = lights.spotCosCutoff[i];
        r.spotCosCutoffOuter[i] = lights.spotCosOuter[i];
    }
    for (int i = 0; i < 5; ++i) r.spotOn[i] = static_cast<std::int16_t>(lights.spotOn[i] ? 1 : 0);
}

void RtFixtureMatrix(const float* position, const float* d, float* out) {
    float rotation[16];
    Mat4Identity(rotation);
    if (d[1] < 1.0f && std::isfinite(d[0]) && std::isfinite(d[2])) {
        const double pitch = std::asin(std::max(d[1], -1.0f)) * kDegreesPerRadian + 90.0;
        const double yaw = 270.0 - std::atan2(d[2], d[0]) * kDegreesPerRadian;
        Mat4RotateXYZ(rotation, DegToRad(static_cast<float>(pitch)), DegToRad(static_cast<float>(yaw)), 0.0f);
    }
    float translation[16];
    Mat4Translation(translation, position[0], position[1], position[2]);
    Mat4Multiply(rotation, translation, out);
}

void RtUpdateLights(FrameLightRecord lights) {
    if (!RtState.context) return;
    RtFillLightsRecord(RtState.lightsStaging, lights, SpotsInForce());
    void* data = nullptr;
    if (rtBufferMap(RtState.lightsBuffer, &data) == RT_SUCCESS && data) {
        std::memcpy(data, &RtState.lightsStaging, sizeof(RtLightsRecord));
        rtBufferUnmap(RtState.lightsBuffer);
    }
    SetSwitches();
}

void RtUpdateSpotLights(FrameLightRecord lights) {
    if (!RtState.context) return;
    // The fixtures follow the spot count of this frame, not of the last club switch.
    RtShowSpotLights(ShowClub);
    for (int i = 0; i < SpotsInForce(); ++i) {
        const RtSceneObject& fixture = RtRecords.fixtures[i];
        if (fixture.instanceTransforms[0]) {
            float m[16];
            RtFixtureMatrix(lights.spotPosition[i], lights.spotDirection[i], m);
            rtTransformSetMatrix(fixture.instanceTransforms[0], 1, m, nullptr);
        }
        if (RtScene.fixtureColors[i]) {
            const float* c = lights.spotColor[i];
            rtVariableSet4f(RtScene.fixtureColors[i], c[0], c[1], c[2], 1.0f);
        }
    }
}

void RtRefreshMeshVertices(const CMeshPart& part, int i, RtSceneObject& record) {
    const std::size_t count = 3 * static_cast<std::size_t>(part.GetVertexCount());
    if (record.vertexBuffers[i] && part.GetVertices()) {
        Upload(record.vertexBuffers[i], part.GetVertices(), count, 1.0f);
    }
    if (record.normalBuffers[i] && part.HasVertexNormals() && part.GetNormals()) {
        Upload(record.normalBuffers[i], part.GetNormals(), count, -1.0f);
    }
}

void RtUpdateDancer() {
    if (!RtState.context || !DancerLoaded || !Dancer || !RtState.matrixStack) return;
    MatrixStack& stack = *RtState.matrixStack;
    RtSceneObject& record = RtRecords.dancer;
    stack.Init();
    int i = 0;
    for (std::int32_t n = 0; n < Dancer->GetNodeCount() && i < record.meshCount; ++n) {
        const ModelNode& node = Dancer->GetNode(n);
        if (node.type == kNodePopMatrix) stack.Pop();
        if (node.type == kNodePushMatrix) stack.Push();
        if (node.type == kNodeJoint && node.transform) stack.MultTop(node.transform->matrix);
        if (node.type != kNodeMeshPart || !node.part) continue;
        if (node.part->IsDeforming()) {
            RtRefreshMeshVertices(*node.part, i, record);
            if (record.partAccelerations[i]) rtAccelerationMarkDirty(record.partAccelerations[i]);
        }
        if (record.partTransforms[i]) {
            float top[16];
            stack.GetTop(top);
            rtTransformSetMatrix(record.partTransforms[i], 1, top, nullptr);
        }
        ++i;
    }
    if (record.modelAcceleration) rtAccelerationMarkDirty(record.modelAcceleration);
    if (RtScene.topAcceleration) rtAccelerationMarkDirty(RtScene.topAcceleration);
}

void RtRemoveDancer() {
    if (!RtState.context) return;
    // Only the dancer's own slot goes, so a failed add never costs another item its place.
    if (RtScene.dancerChild >= 0) {
        rtGroupSetChildCount(RtScene.topGroup, static_cast<unsigned>(RtScene.dancerChild));
        RtScene.dancerChild = -1;
    }
    RtDestroyObject(RtRecords.dancer);
    if (RtScene.topAcceleration) rtAccelerationMarkDirty(RtScene.topAcceleration);
}

void RtAddDancer() {
    if (!RtState.context || !Dancer) return;
    // A dancer still in the graph goes first: two would leave one record's handles lost.
    if (RtScene.dancerChild >= 0) RtRemoveDancer();
    unsigned n = 0;
    rtGroupGetChildCount(RtScene.topGroup, &n);
    RtBuildModelGeometry(*Dancer, RtScene.material, nullptr, RtRecords.dancer);
    RtBuildModelInstances(*Dancer, RtRecords.dancer, Dancer->GetInstanceCount());
    if (!RtRecords.dancer.selector) return;
    rtGroupSetChildCount(RtScene.topGroup, n + 1);
    if (rtGroupSetChild(RtScene.topGroup, n, RtRecords.dancer.selector) == RT_SUCCESS) {
        RtScene.dancerChild = static_cast<int>(n);
    } else {
        rtGroupSetChildCount(RtScene.topGroup, n);
    }
    if (RtScene.topAcceleration) rtAccelerationMarkDirty(RtScene.topAcceleration);
}

}  // namespace raytrace
