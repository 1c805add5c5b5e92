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
};

extern RtHostState RtHost;

inline constexpr int kRtOpenGlEngine = 0;
inline constexpr int kRtMessageCategory = 4;  // the ray-tracing message category

}  // namespace raytrace
