#pragma once
// Embree under the runtime: one scene of triangle meshes per geometry group, kept between
// launches and rebuilt (or refitted) when its inputs changed, and one scene of instances per
// traced node, built per launch. Groups that never refit and are placed with the same matrix
// are traced as one instance of a merged scene, kept while its groups' scenes are current: a ray
// then walks one hierarchy instead of one per group whose box it crosses.

#include <embree3/rtcore.h>

#include <memory>
#include <string>

#include "platform/rt/rt_launch_frame.h"

namespace rt {

struct EmbreeDevice {
    EmbreeDevice();
    ~EmbreeDevice();
    EmbreeDevice(const EmbreeDevice&) = delete;
    EmbreeDevice& operator=(const EmbreeDevice&) = delete;
    RTCDevice device = nullptr;
};

struct BottomLevel {
    ~BottomLevel();
    BottomLevel() = default;
    BottomLevel(const BottomLevel&) = delete;
    BottomLevel& operator=(const BottomLevel&) = delete;

    struct Part {
        // Compared by id between launches; the pointers are read only while the ids match.
        std::uint64_t instanceId = 0;
        std::uint64_t geometryId = 0;
        std::uint64_t verticesId = 0;
        std::uint64_t indicesId = 0;
        const GeometryInstance* instance = nullptr;
        const Geometry* geometry = nullptr;
        const Buffer* vertices = nullptr;
        const Buffer* indices = nullptr;
        std::uint64_t vertexVersion = 0;
        std::uint64_t indexVersion = 0;
        unsigned primitiveCount = 0;
        std::size_t vertexCount = 0;
        float* vertexData = nullptr;       // Embree's copy, rewritten by a refit
        RTCGeometry handle = nullptr;      // null for an empty slot or a part with no triangles
        std::vector<unsigned> primitives;  // Embree's primitive id -> the geometry's
    };
    std::shared_ptr<EmbreeDevice> device;  // outlives the scene
    RTCScene scene = nullptr;
    std::vector<Part> parts;  // by child index
    bool empty = true;
    bool refits = false;
    RTCBuildQuality quality = RTC_BUILD_QUALITY_MEDIUM;
};

// The meshes of several groups' scenes in one scene.
struct MergedScene {
    ~MergedScene();
    MergedScene() = default;
    MergedScene(const MergedScene&) = delete;
    MergedScene& operator=(const MergedScene&) = delete;
    std::vector<std::shared_ptr<BottomLevel>> members;  // their meshes, in geometry id order
    RTCScene scene = nullptr;
};

struct MergedScenes {
    std::vector<std::shared_ptr<MergedScene>> scenes;
};

struct TopLevel {
    ~TopLevel();
    RTCScene scene = nullptr;
    std::vector<std::shared_ptr<MergedScene>> merged;  // the ones it instances
};

// The geometry group's vertex and index buffers: its acceleration names them, looked up in
// the geometry instance's scope, then the geometry's.
const Buffer* MeshBuffer(const GeometryGroup& group, const GeometryInstance& instance,
                         bool indices);

// Makes group.built current; false with detail when the group cannot be built.
bool UpdateBottomLevel(Context& context, GeometryGroup& group, std::string& detail);
// The scene over target's instances.
void BuildTopLevel(Context& context, TraceTarget& target);

}  // namespace rt
