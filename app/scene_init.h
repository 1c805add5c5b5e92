#pragma once
// Scene start-up: every run-time global's start value, the fixed OpenGL state, every scene
// object the application object owns, the capability probes and the settings file. Runs once
// per run on the UI thread, with the view's OpenGL context current.

#include <vector>

// 0 when the scene is ready; 1 after a fatal failure, whose message has been shown (and whose
// shut-down has already freed what was built).
[[nodiscard]] int InitScene();

// The ray tracer's turbulence table: 1024 floats, empty until start-up builds it.
constexpr int kNoiseTableSize = 1024;
extern std::vector<float> NoiseTable;
void BuildNoiseTable();
