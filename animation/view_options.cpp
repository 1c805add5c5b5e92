#include "animation/view_options.h"

int ActiveSpotCount;
int RenderEngine;
int RenderShadows;
int SimpleLighting;
float Stereo3DScale;
int Stereo3DInvert;
int RayTracingAvailable;

void SetViewStartValues() {
    ActiveSpotCount = 3;
    RenderEngine = 0;
    RenderShadows = 1;
    SimpleLighting = 0;
    Stereo3DScale = 1.0f;
    Stereo3DInvert = 1;
}

namespace {
// In force from the program's start, so code that runs before scene start-up sees them too.
[[maybe_unused]] const bool kStartValuesApplied = (SetViewStartValues(), true);
}  // namespace
