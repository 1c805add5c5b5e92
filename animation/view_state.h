#pragma once
// Run-time view state that the scene motion reads every frame.
//
// Written on the UI thread: CameraMode and Paused by the view's commands and keys,
// ViewportWidth and ViewportHeight by the window's resize handling. Read on the UI thread by
// the cameras, the camera director, the light show and the dance motion.

#include <atomic>

// The values of RenderEngine.
constexpr int kOpenGlEngine = 0;     // "CPU Scan Line"
constexpr int kRayTracerEngine = 2;  // "GPU Ray Trace"

// 0 automatic cameras, 1 manual camera, 2 Virtual Reality camera; start 0.
extern int CameraMode;
// 1 while the dance, the cameras and the light show are held; start 0. Atomic because the
// audio analysis thread reads it too.
extern std::atomic<int> Paused;
// The window's client size in pixels; the height is at least 1.
extern int ViewportWidth;
extern int ViewportHeight;
