#pragma once
// Installs the ray tracer: its start, stop, probe and report calls for start-up, the engine
// switch and shut-down, its frame hooks, and the application state it reads and clears.

void InstallRayTracer();
