#pragma once
// The seven built-in programs the program files name, and what they hand each other.

#include "platform/rt/rt_device.h"

namespace raytrace {

// What meshIntersect reports of a hit, in the hit instance's object space.
struct RtMeshAttributes {
    rtd::Float3 geometricNormal;
    rtd::Float3 shadingNormal;
    rtd::Float3 objectPoint;
    rtd::Float4 color;
    rtd::Float2 uv;
};

struct RtRadiancePayload {
    rtd::Float3 result;
    int depth;              // reflections so far
    int transparencyDepth;  // translucent layers passed so far
};

struct RtShadowPayload {
    rtd::Float3 attenuation;  // 1 unoccluded, 0 in shadow
};

// Registers camera, miss, meshBounds, meshIntersect, visit, ClosestHitRadiance and
// AnyHitShadow with the runtime; the program files bind to them by name.
void RtRegisterPrograms();

void RtRegisterCameraPrograms();
void RtRegisterMeshPrograms();
void RtRegisterLightingPrograms();

}  // namespace raytrace
