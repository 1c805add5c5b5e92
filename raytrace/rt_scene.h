#pragma once
// The ray tracer's mirror of the scene: one record of runtime handles per scene item (floor,
// club, props, five fixture copies, dancer) under one top group. Items are shown and hidden
// through their selectors; only the dancer is ever rebuilt. UI thread only.

#include <array>
#include <cstdint>

#include "platform/rt/rt_api.h"

class CMeshPart;
class CModelObject;

namespace raytrace {

inline constexpr int kRtMaxMeshParts = 100;
inline constexpr int kRtMaxInstances = 50;
inline constexpr int kRtFixtureCount = 5;

template <class Handle>
using RtPartHandles = std::array<Handle, kRtMaxMeshParts>;

struct RtSceneObject {
    std::int32_t meshCount = 0;  // the club counts its fixed extra part
    std::int32_t instanceCount = 0;
    RtPartHandles<RTbuffer> vertexBuffers{};
    RtPartHandles<RTbuffer> normalBuffers{};
    RtPartHandles<RTbuffer> colorBuffers{};
    RtPartHandles<RTbuffer> texCoordBuffers{};
    RtPartHandles<RTbuffer> indexBuffers{};
    RtPartHandles<RTbuffer> textureBuffers{};
    RtPartHandles<RTgeometry> geometries{};
    RtPartHandles<RTgeometrygroup> geometryGroups{};
    RtPartHandles<RTtransform> partTransforms{};
    RtPartHandles<RTacceleration> partAccelerations{};
    RtPartHandles<RTgeometryinstance> geometryInstances{};
    RtPartHandles<RTtexturesampler> textureSamplers{};
    std::array<RTtransform, kRtMaxInstances> instanceTransforms{};
    RTacceleration instanceAcceleration = nullptr;
    RTgroup instanceGroup = nullptr;  // only for a model placed more than once
    RTacceleration modelAcceleration = nullptr;
    RTgroup modelGroup = nullptr;
    RTselector selector = nullptr;
    RTvariable selectorIndexVar = nullptr;
    // Triangles left out because a corner lies outside the part's vertices.
    std::int32_t skippedTriangles = 0;
    // Mesh parts and instances beyond the record's room, left out.
    std::int32_t skippedParts = 0;
};

struct RtSceneRecords {
    RtSceneObject floor;
    RtSceneObject club;
    RtSceneObject tableSet4;
    RtSceneObject tableSet2;
    RtSceneObject stool;
    RtSceneObject speaker;
    std::array<RtSceneObject, kRtFixtureCount> fixtures;
    RtSceneObject plant;
    RtSceneObject booth;
    RtSceneObject videoGame;
    RtSceneObject tableGame;
    RtSceneObject dancer;
};

struct RtSceneState {
    RTmaterial material = nullptr;
    RTgroup topGroup = nullptr;
    RTacceleration topAcceleration = nullptr;
    RTselector clubSelector = nullptr;
    RTvariable clubSelectorIndex = nullptr;
    std::array<RTvariable, kRtFixtureCount> fixtureColors{};
    // The top group's slot of the dancer's selector; -1 while the dancer has none there.
    int dancerChild = -1;
};

extern RtSceneRecords RtRecords;
extern RtSceneState RtScene;

int RtBuildScene();
// colourSlot receives the meshColor variable of each part without vertex colours (the last
// one stays).
int RtBuildModelGeometry(const CModelObject& model, RTmaterial material, RTvariable* colourSlot,
                         RtSceneObject& record);
int RtBuildModelInstances(const CModelObject& model, RtSceneObject& record, int count);
int RtBuildFloorGeometry(RTmaterial material, RtSceneObject& record);
int RtCreateMeshGeometry(const CMeshPart& part, RTvariable* colourSlot, int meshIndex,
                         RtSceneObject& record);
// 0 when the image was loaded, 1 when not.
int RtCreateTexture(int meshIndex, RtSceneObject& record, const char* path, int repeat);
void RtDestroyObject(RtSceneObject& record);
// Every record, in the shut-down's order.
void RtDestroyRecords();
// The top group, its acceleration, the material and the club selector.
void RtDestroySceneNodes();

void RtShowClub(int show);
void RtShowTableSet4(int show);
void RtShowTableSet2(int show);
void RtShowStool(int show);
void RtShowSpeaker(int show);
void RtShowTableGame(int show);
void RtShowVideoGame(int show);
void RtShowBooth(int show);
void RtShowPlant(int show);
void RtShowSpotLights(int show);
// Shows or hides one record through its selector; a record never built is skipped.
void RtShowRecord(const RtSceneObject& record, int show);

}  // namespace raytrace
