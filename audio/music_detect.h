#pragma once
// The setting the analysis thread reads. Saved and loaded by the application's settings file;
// written on the UI thread and read by the analysis thread, so it is atomic.

#include <atomic>

// "MinMusicDetect", 1.0 to 1000.0; no start value of its own: the analysis thread sets 20.0
// when it starts.
extern std::atomic<float> MinMusicDetect;
