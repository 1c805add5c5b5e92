#pragma once
// Small programs of the tests, registered under the names their program files declare:
//   camera           ray generation: a pinhole ray per pixel (cameraPos, cameraDir, cameraSide,
//                    cameraUp, fovScale) through topObject, written as B, G, R, A to
//                    outputBuffer
//   miss             radiance miss: bgColor
//   meshBounds       bounding box (never run: Embree bounds triangles)
//   meshIntersect    reports the triangle with its primitive, the geometric normal from the
//                    mesh buffers and the variable "value" as the geometry scope sees it
//   radiance         radiance closest hit: "color", halved when a shadow ray toward
//                    "lightPos" is blocked, mixed with the reflection when "mirror" is set
//   blocker          any hit: blocks the ray unless "isLuminous"
//   visit            shows child selectorIndex when it is below maxSelector
//   probe            ray generation over "rays" (ProbeRay elements) into "results" (Probe)
//   probeHit         closest hit: records the hit into the Probe payload
//   sample           ray generation: texels[i] = the sampler texId at coords[i] (Float2),
//                    through Tex1D when "oneD" is set, else Tex2D

#include "platform/rt/rt_device.h"

namespace rttest {

struct ProbeRay {
    rtd::Float3 origin;
    rtd::Float3 direction;
};

struct Probe {
    int hit = 0;
    int id = -1;  // the hit geometry instance's "id"
    int prim = -1;
    float t = 0.0f;
    rtd::Float3 origin{0, 0, 0};  // the hit instance's object origin in the world
    float attenuation = 1.0f;     // 0 once an any-hit program blocked the ray
    float value = 0.0f;           // "value" as the closest-hit program sees it
    float geometryValue = 0.0f;   // "value" as the intersection program sees it
    rtd::Float3 normal{0, 0, 0};  // geometric normal in object space
};

void RegisterTestPrograms();

}  // namespace rttest
