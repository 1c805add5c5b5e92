#include "animation/light_show.h"

#include "animation/light_object.h"
#include "animation/view_state.h"
#include "animation/view_options.h"

CLightObject* SimpleLight = nullptr;
CLightObject* MainLight = nullptr;
std::array<CSpotLightObject*, kSpotLightCount> SpotLights = {};
float Spot0Attenuation = kSpot0StartAttenuation;
float DancerAmbient = kDancerStartAmbient;
RandomTimer LightShowTimer = kLightShowTimerStart;
int AppliedSpotCount = 0;
int AppliedSimpleLighting = 0;

bool SimpleLightingInForce() { return SimpleLighting != 0 && RenderEngine == kOpenGlEngine; }

void SetLightEnabled(CLightObject* light, bool on) {
    if (light == nullptr) return;
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
    if (ActiveSpotCount < 1 || Paused != 0 || SimpleLightingInForce()) {
        Spot0Attenuation = kSpot0StartAttenuation;
        DancerAmbient = kDancerStartAmbient;
        return;
    }
    if (!LightShowTimer.Tick(dtMs)) return;
    Spot0Attenuation = kSpot0StartAttenuation;
    DancerAmbient = kDancerStartAmbient;
    if (SpotLights[0] != nullptr) SpotLights[0]->SetAttenuation(kSpot0StartAttenuation);
    for (int i = 1; i < ActiveSpotCount && i < kSpotLightCount; ++i)
        SetLightEnabled(SpotLights[i], true);
}

void ApplyLightConfig() {
    if (ActiveSpotCount == AppliedSpotCount && SimpleLighting == AppliedSimpleLighting) return;
    // The ray tracer has no simple lighting: it keeps the full set.
    SwitchLights(SimpleLightingInForce());
    AppliedSpotCount = ActiveSpotCount;
    AppliedSimpleLighting = SimpleLighting;
}
