#pragma once
// The settings the cameras and the light show read, and the render engine they follow.
// Saved and loaded by the application's settings file. UI thread only.
//
// Each line: the key it is saved under, the range the reader accepts, the start value.

extern int ActiveSpotCount;     // read with "NumRequestedSpots", start 3: the spots in use
extern int RenderEngine;        // "RenderEngine" is written from it; 0 OpenGL, 2 ray tracer
extern int RenderShadows;       // "RenderShadows", 0 to 1, start 1
extern int SimpleLighting;      // "SimpleLighting", 0 to 1, start 0
extern float Stereo3DScale;     // "Stereo3DScale", 0.5 to 2.0, start 1.0
extern int Stereo3DInvert;      // "Stereo3DInvert", -1 to 1, start 1

// Found at start-up before the settings are read; the ray-tracing keys read 0 while it is 0.
// It has no start value of its own.
extern int RayTracingAvailable;

// Gives every global above but RayTracingAvailable its start value; they already hold them
// when the program starts.
void SetViewStartValues();
