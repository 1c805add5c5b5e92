#pragma once
// Small pieces shared by the frame driver, the scene drawing and the shadow passes.

class CLightObject;

constexpr int kOpenGlEngine = 0;     // RenderEngine: "CPU Scan Line"
constexpr int kRayTracerEngine = 2;  // RenderEngine: "GPU Ray Trace"

// The ray tracer is available and chosen.
bool RayTracerInForce();
// Simple lighting applies only to the OpenGL engine.
bool SimpleLightingInForce();
// ActiveSpotCount within 0 to 5.
int SpotsInForce();

// Enable or Disable; a missing light is skipped.
void SetLightEnabled(CLightObject* light, bool on);

// Simple lighting: only SimpleLight on; otherwise MainLight and spots 0 to ActiveSpotCount - 1.
void SwitchLights(bool simple);

// The club's placement on top of the camera: turned 180 degrees about y, then moved so that
// its floor lies at y = -975.
void ApplyClubPlacement();
