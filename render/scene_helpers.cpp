#include "render/scene_helpers.h"

#include <GL/gl.h>

#include <algorithm>

#include "animation/view_options.h"

bool RayTracerInForce() { return RayTracingAvailable != 0 && RenderEngine == kRayTracerEngine; }

int SpotsInForce() { return std::clamp(ActiveSpotCount, 0, kSpotLightCount); }

void ApplyClubPlacement() {
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    glTranslatef(8000.0f, -975.0f, -11000.0f);
}
