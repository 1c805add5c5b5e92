#pragma once
// The beat, tempo and music-presence tracker: one call per analysed block turns the lowest
// band of its spectrum into the dance phase, the dance mode and three style weights.

#include <atomic>
#include <cstdint>

// ---- Published dance values ----
// Writer: the analysis thread (the tracker on every call; the thread itself at start and after
// a device switch). Reader: the UI thread, once per frame, each value loaded once.
extern std::atomic<float> BeatPhase;          // [-0.6, 4), two units per beat
extern std::atomic<std::int16_t> DanceMode;   // 3 no music, 1 dance on the beat, 0 without a beat
extern std::atomic<float> FreeDanceWeight;    // cross-fade weight of mode 0
extern std::atomic<float> BeatDanceWeight;    // cross-fade weight of mode 1
extern std::atomic<float> SilentDanceWeight;  // cross-fade weight of mode 3

// What the tracker reads besides the block; the analysis thread fills it for every pass from
// the globals it owns or reads.
struct TrackerInputs {
    float AnalysisStepMs = 0.0f;   // milliseconds since the previous pass
    float MinMusicDetect = 20.0f;  // envelope level above which music counts as detected
    int DanceWhenSilent = 0;       // 1: dance on the beat even without music
    int CurrentDancer = 0;         // dancer 2 never dances on the beat
};

constexpr int kEnvelopeRingSize = 64;

// The tracker's whole state; it lives for the run and only the analysis thread touches it.
struct BeatTrackerState {
    float ring[kEnvelopeRingSize] = {};  // the last 64 envelope values
    int writeSlot = 0;
    bool ringWrapped = false;  // the ring holds 64 valid values
    bool firstCall = true;
    float smoothedLevel = 0.0f;  // S: the envelope of the previous call
    float ringMin = 0.0f;
    int ringMinSlot = 0;
    float ringMax = 0.0f;
    int ringMaxSlot = 0;

    float presence = 0.0f;  // P: ramps toward 1 while the ring's spread is large
    float presenceThreshold = 1.0f;
    bool present = false;     // a beat can be followed
    float detection = 0.0f;   // D: ramps toward 1 while the ring maximum is above MinMusicDetect
    float detectionThreshold = 1.0f;
    bool detected = false;

    // Seconds, kept in double so the clock still advances by a block after days of running.
    double clock = 0.0;
    double lastBeatTime = 0.0;
    double previousBeatTime = 0.0;
    bool refractory = false;
    bool armed = false;
    float peak = 0.0f;
    bool oneBeatSeen = false;
    bool intervalKnown = false;
    float beatError = 0.0f;  // e: bar-phase fraction at this call's beat, else 0
    float measuredTempo = 120.0f;
    float tempo = 120.0f;     // T, beats per minute
    float barPhase = 0.0f;    // p, beats into a bar of four
    bool beatFound = false;   // this call found a beat
};

// Analyses one block in half-complex order; reads only block[0] and block[n-1]. Analysis
// thread only.
void AnalyzeAudioBlock(const float* block, int n, const TrackerInputs& inputs);

// The state after the latest call (analysis thread, tests and tools).
const BeatTrackerState& CurrentBeatTrackerState();
// Back to the start-up state, with the published values at their start values (BeatPhase 0,
// DanceMode 3, SilentDanceWeight 1, the other weights 0).
void ResetBeatTracker();
