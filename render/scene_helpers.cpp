#include "render/scene_helpers.h"

#include <GL/gl.h>

#include <algorithm>

#include "animation/light_object.h"
#include "animation/light_show.h"
#include "app/settings_globals.h"

bool RayTracerInForce() { return RayTracingAvailable != 0 && RenderEngine == kRayTracerEngine; }

bool SimpleLightingInForce() { return SimpleLighting != 0 && RenderEngine == kOpenGlEngine; }

int SpotsInForce() { return std::clamp(ActiveSpotCount, 0, kSpotLightCount); }

void SetLightEnabled(CLightObject* light, bool on) {
    if (!light) return;
    if (on) {
        light->Enable();
    } else {
        light->Disable();
    }
}

void SwitchLights(bool simple) {
    for (int i = 0; i < kSpotLightCount; ++i) {
        SetLightEnabled(SpotLights[i], !simple && i < ActiveSpotCount);
    }
    SetLightEnabled(MainLight, !simple);
    SetLightEnabled(SimpleLight, simple);
}

void ApplyClubPlacement() {
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    glTranslatef(8000.0f, -975.0f, -11000.0f);
}
