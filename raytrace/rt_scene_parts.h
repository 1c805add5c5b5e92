#pragma once
// Pieces the scene build shares between the models and the floor.

#include "raytrace/rt_context.h"
#include "raytrace/rt_scene.h"

namespace raytrace {

// The acceleration of one part's geometry group; it always names the part's buffers.
struct RtAccelSettings {
    const char* builder;
    const char* traverser;
    bool refine;
    bool refit;
};

void RtCreateGeometryInstance(RTgeometry geometry, RTmaterial material,
                              RTgeometryinstance& instance);
RTvariable RtSetInstanceInt(RTgeometryinstance instance, const char* name, int value);
void RtSetInstanceFloat3(RTgeometryinstance instance, const char* name, float value);
// Geometry group i holding geometry instance i, with its acceleration marked dirty.
void RtCreatePartGroup(RtSceneObject& record, int i, const RtAccelSettings& settings);
// An acceleration "Bvh"/"Bvh" set on the group and marked dirty.
RTacceleration RtCreateGroupAcceleration(RTgroup group);
// modelGroup with count children, child(j) giving child j (null leaves the slot empty).
template <class ChildFn>
void RtCreateModelGroup(RtSceneObject& record, unsigned count, ChildFn child) {
    rtGroupCreate(RtState.context, &record.modelGroup);
    rtGroupSetChildCount(record.modelGroup, count);
    for (unsigned j = 0; j < count; ++j) {
        if (const RTobject object = child(j)) rtGroupSetChild(record.modelGroup, j, object);
    }
    record.modelAcceleration = RtCreateGroupAcceleration(record.modelGroup);
}

}  // namespace raytrace
