#pragma once
// What one launch works from: the graph flattened into one level of instances for each traced
// node, and every program's variables resolved for the objects it runs on, so that no name is
// looked up per ray. Built on the calling thread before the workers start; read-only after.

#include <atomic>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/rt/rt_objects.h"

namespace rt {

struct ResolvedProgram {
    rtd::ProgramFunction function = nullptr;
    std::vector<rtd::Value> vars;
};

struct MaterialPrograms {
    std::vector<ResolvedProgram> closestHit;  // per ray type
    std::vector<ResolvedProgram> anyHit;
};

// A geometry instance with its programs resolved.
struct InstanceRecord {
    ResolvedProgram intersection;
    std::vector<MaterialPrograms> materials;
};

// One geometry group placed in the world.
struct FlatInstance {
    std::shared_ptr<BottomLevel> bottom;
    Matrix3x4 toWorld{};
    Matrix3x4 toObject{};
    std::vector<const InstanceRecord*> children;  // by the geometry group's child index
};

struct TopLevel;  // the Embree scene over the instances (rt_embree.cpp)

// What an Embree hit names: the placed geometry group and its child.
struct PartRef {
    unsigned instance = 0;  // into TraceTarget::instances
    unsigned child = 0;
};

struct TraceTarget {
    std::vector<FlatInstance> instances;
    std::vector<std::vector<PartRef>> parts;  // by Embree instance id, then geometry id
    std::shared_ptr<TopLevel> top;
};

struct LaunchFrame {
    explicit LaunchFrame(Context& c) : context(c) {}

    Context& context;
    ResolvedProgram rayGeneration;
    std::vector<ResolvedProgram> miss;  // per ray type
    std::unordered_map<const Object*, std::unique_ptr<TraceTarget>> targets;
    std::unordered_map<const GeometryInstance*, std::unique_ptr<InstanceRecord>> records;
    std::vector<const TextureSampler*> samplers;  // by id, null for ids of no live sampler
    std::vector<char> closestHitTypes;  // per ray type: does any material have a closest hit
    std::vector<char> anyHitTypes;
    RTresult buildCode = RT_SUCCESS;  // with buildError: the first fault found while building
    std::string buildError;
    std::atomic<const char*> failure{nullptr};
};

// Builds the frame for the program at entry; an empty buildError on success.
void BuildFrame(LaunchFrame& frame, const Program& rayGeneration);

// Variable lookup along scopes, innermost first.
const Variable* Resolve(const std::string& name, std::initializer_list<const Scope*> scopes);

}  // namespace rt
