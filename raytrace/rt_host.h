#pragma once
// What the ray tracer reads and writes of the application's state. The application points
// these at its globals when it installs the ray tracer; tests point them at their own.
// UI thread only.

#include <vector>

namespace raytrace {

struct RtHostState {
    int* rayTracingAvailable = nullptr;  // RayTracingAvailable
    int* renderEngine = nullptr;         // RenderEngine
    const std::vector<float>* noiseTable = nullptr;  // NoiseTable; empty when not built
    void (*reportMessage)(const char* text, int category) = nullptr;
    // The ray tracer's own render switches; a switch not given reads as off.
    const int* renderShadows = nullptr;      // RenderRt3DShadows
    const int* renderReflections = nullptr;  // RenderRtReflections
    const int* render3DTextures = nullptr;   // RenderRt3DTextures
};

extern RtHostState RtHost;

inline constexpr int kRtOpenGlEngine = 0;
inline constexpr int kRtMessageCategory = 4;  // the ray-tracing message category

}  // namespace raytrace
