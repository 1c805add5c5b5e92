#include "animation/light_show.h"

#include "animation/light_object.h"
#include "animation/view_state.h"
#include "app/settings_globals.h"

CLightObject* SimpleLight = nullptr;
CLightObject* MainLight = nullptr;
std::array<CSpotLightObject*, kSpotLightCount> SpotLights = {};
float Spot0Attenuation = kSpot0StartAttenuation;
float DancerAmbient = kDancerStartAmbient;
RandomTimer LightShowTimer = kLightShowTimerStart;
int AppliedSpotCount = 0;
int AppliedSimpleLighting = 0;

namespace {

constexpr int kOpenGlEngine = 0;

void SetEnabled(CLightObject* light, bool on) {
    if (light == nullptr) return;
    if (on) {
        light->Enable();
    } else {
        light->Disable();
    }
}

}  // namespace

void LightShowTick(float dtMs) {
    if (Paused == 0) {
        for (int i = 1; i < kSpotLightCount; ++i) {
            CSpotLightObject* spot = SpotLights[i];
            if (spot == nullptr) continue;
            spot->AnimateColor(dtMs);
            spot->AnimateAim(dtMs);
            spot->AnimateCutoff(dtMs);
        }
    }
    if (ActiveSpotCount < 1 || Paused != 0 ||
        (SimpleLighting != 0 && RenderEngine == kOpenGlEngine)) {
        Spot0Attenuation = kSpot0StartAttenuation;
        DancerAmbient = kDancerStartAmbient;
        return;
    }
    if (!LightShowTimer.Tick(dtMs)) return;
    Spot0Attenuation = kSpot0StartAttenuation;
    DancerAmbient = kDancerStartAmbient;
    if (SpotLights[0] != nullptr) SpotLights[0]->SetAttenuation(kSpot0StartAttenuation);
    for (int i = 1; i < ActiveSpotCount && i < kSpotLightCount; ++i)
        SetEnabled(SpotLights[i], true);
}

void ApplyLightConfig() {
    if (ActiveSpotCount == AppliedSpotCount && SimpleLighting == AppliedSimpleLighting) return;
    // Simple lighting exists only in the OpenGL engine; the ray tracer keeps the full set.
    const bool simple = SimpleLighting != 0 && RenderEngine == kOpenGlEngine;
    SetEnabled(MainLight, !simple);
    for (int i = 0; i < kSpotLightCount; ++i)
        SetEnabled(SpotLights[i], !simple && i < ActiveSpotCount);
    SetEnabled(SimpleLight, simple);
    AppliedSpotCount = ActiveSpotCount;
    AppliedSimpleLighting = SimpleLighting;
}
