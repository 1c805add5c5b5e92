#pragma once
// Small pieces shared by the frame driver, the scene drawing and the shadow passes.

#include <cstdint>

// The light switching and the engine numbers, used beside these everywhere the scene is drawn.
#include "animation/light_show.h"
#include "animation/view_state.h"

constexpr int kTranslucentDancer = 2;  // MirelB: the only dancer whose translucent parts show
// CModelObject::DrawInstances modes.
constexpr std::int32_t kTranslucentParts = 1;
constexpr std::int32_t kOpaqueParts = 2;

// The ray tracer is available and chosen.
bool RayTracerInForce();
// ActiveSpotCount within 0 to 5.
int SpotsInForce();

// The club's placement on top of the camera: turned 180 degrees about y, then moved so that
// its floor lies at y = -975.
void ApplyClubPlacement();
