#pragma once
// The ray tracer's part of each eye before the launch: the lights record and the render
// switches, the spot-light fixtures, the dancer's moving parts; and the dancer's swap when
// the user picks another. UI thread only.

#include "platform/rt/rt_lights_record.h"
#include "render/frame_hooks.h"

class CMeshPart;

namespace raytrace {

struct RtSceneObject;

void RtUpdateLights(FrameLightRecord lights);
void RtUpdateSpotLights(FrameLightRecord lights);
void RtUpdateDancer();
void RtRefreshMeshVertices(const CMeshPart& part, int meshIndex, RtSceneObject& record);
void RtRemoveDancer();
void RtAddDancer();

// The staging record after one frame's lights: spots from activeSpots up keep what they had,
// all five on flags are copied.
void RtFillLightsRecord(RtLightsRecord& record, const FrameLightRecord& lights, int activeSpots);
// A fixture at position aimed along direction: turned about x and y, then moved. Aimed
// straight up (or along no valid direction) it keeps the model's own orientation.
void RtFixtureMatrix(const float* position, const float* direction, float* out);

}  // namespace raytrace
