#pragma once
// The program's one tick: the time step, the frame statistics, the dancer hand-over, the
// dance, the lights, the cameras, the sound listener and one or two eyes. UI thread only,
// with the view's OpenGL context current.

#include <array>
#include <cstdint>

#include "animation/light_show.h"

// Frame driver state (zero at start).
extern std::int32_t FrameClockBase;  // set by the first tick
extern std::int32_t LastFrameTime;   // clock value of the previous tick, whole ms; 0 = none
extern float FrameStepMs;            // this tick's step, handed to every animation step
extern std::int32_t FrameCounter;    // ticks run while GLReady was set

// Per spot light in force, written each tick; entries from ActiveSpotCount up keep their
// earlier values.
extern float SpotDirections[kSpotLightCount][3];  // unit aim
extern float SpotPositions[kSpotLightCount][3];
extern float SpotColors[kSpotLightCount][3];

// Frame-rate statistics shown by the overlay.
extern float FramesPerSecond;
// Seconds of frame time in the average, never above the window; 0 restarts the average.
extern float FpsAveragingTime;
// The averaging window in seconds by StatChoice 1 to 7; 1 means no averaging.
constexpr std::array<float, 8> FpsWindowSeconds = {0, 0, 1, 5, 10, 15, 30, 60};
extern std::int32_t StatTickCounter;  // calls of UpdateFrameRate since the last evaluation
extern std::int32_t StatClockBase;
extern std::int32_t LastStatTime;  // statistics-clock value of the previous evaluation; 0 = none
extern std::int32_t PolygonCount;  // quads drawn this frame
extern std::int32_t VertexCount;

// The window of the current StatChoice (an out-of-range choice reads as no averaging).
float FpsWindow();

// Where both frame clocks read the time; GetElapsedMilliseconds unless a test steers it.
using FrameClockFn = float (*)(std::int32_t* base);
extern FrameClockFn FrameClock;

// Back to the state before the first tick: clocks, counters and statistics (a scene that is
// built again starts its frames afresh).
void ResetFrameDriver();

// One tick; always 0. The first two ticks only start the clock.
std::int32_t AnimateAndRenderFrame();
// Called once per working tick; evaluates on every tenth call.
void UpdateFrameRate();
// The polygon and vertex counts of what this frame draws.
void CountSceneStatistics();
