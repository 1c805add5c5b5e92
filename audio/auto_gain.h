#pragma once
// Automatic gain: scales each block toward a mean level of 0.5 with a slowly moving gain.
// The gain lives for the whole run and is touched only by the analysis thread.

// Moves the gain a tenth of the way toward min(0.5 / mean, 5), lowered so that peak x gain
// stays at most 1, and multiplies the block by it. Does nothing when mean or peak is 0.
void AutoGain(float* block, int count, float mean, float peak);

float AutoGainValue();  // the smoothed gain now
void ResetAutoGain();   // back to the start-up gain 0 (tests and tools start a fresh run)
