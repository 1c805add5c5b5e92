#pragma once
// Plays a song through the tracker the way the analysis thread does while the player plays,
// on a virtual clock: the mixer hands over 1024-frame blocks, the tap keeps every second
// frame (512 values), and each thread pass analyses the newest block it has not seen yet, or
// sleeps and analyses a block of zeros when there is none.

#include "audio/beat_tracker.h"

#include <functional>
#include <span>

struct TapPathOptions {
    TrackerInputs inputs;    // AnalysisStepMs is set per pass
    double sleepMs = 20.1;   // a 20 ms sleep as the scheduler grants it
};

struct TapPass {
    double seconds;    // virtual time of the analysis
    bool tapBlock;     // false for a block of zeros
    const BeatTrackerState& state;
};

// Resets the gain and the tracker (a fresh run), then plays mono samples at 44100 Hz (the
// mixer's (left + right) / 2) until they run out, calling onPass after every tracker call.
void RunTapPath(std::span<const float> mono, const TapPathOptions& options,
                const std::function<void(const TapPass&)>& onPass);
