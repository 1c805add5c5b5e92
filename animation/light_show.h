#pragma once
// The light show that moves the four coloured spots, and the switch between simple lighting
// and the main light with its spots. Both run once per frame, with the GL context current.

#include <array>
#include <cstdint>

#include "model/vec_math.h"

class CLightObject;
class CSpotLightObject;

constexpr int kSpotLightCount = 5;

// The lights the application object owns; these are plain globals pointing at them. Written
// by scene start-up, read on the UI thread by the frame driver, the renderer and the ray
// tracer. Spot 0 is the colourless key spot; spots 1 to 4 are the ones the show moves.
extern CLightObject* SimpleLight;
extern CLightObject* MainLight;
extern std::array<CSpotLightObject*, kSpotLightCount> SpotLights;

// Written by the light show on the UI thread, read by the renderer and the ray tracer.
extern float Spot0Attenuation;  // constant attenuation of spot 0 as last applied; start 1.6
extern float DancerAmbient;     // light-model ambient of the dancer; start 0.6
extern RandomTimer LightShowTimer;
// The spot count and simple-lighting setting the lights were last switched for; stored by
// scene start-up, then by ApplyLightConfig.
extern int AppliedSpotCount;
extern int AppliedSimpleLighting;

constexpr float kSpot0StartAttenuation = 1.6f;
constexpr float kDancerStartAmbient = 0.6f;
// Start value of LightShowTimer: 2 to 5 seconds in state 0, 2 to 50 seconds in state 1.
constexpr RandomTimer kLightShowTimerStart{1, 2, 4.0f, 2.0f, {5.0f, 50.0f}};

// Simple lighting applies only to the OpenGL engine.
bool SimpleLightingInForce();
// Enable or Disable; a missing light is skipped.
void SetLightEnabled(CLightObject* light, bool on);
// Simple lighting: only SimpleLight on; otherwise MainLight and spots 0 to ActiveSpotCount - 1.
void SwitchLights(bool simple);

// Drifts spots 1 to 4 and, when its timer fires, re-applies spot 0's attenuation and switches
// the moving spots in force back on.
void LightShowTick(float dtMs);
// Switches the lights when the spot count or simple lighting changed since the last switch.
void ApplyLightConfig();
