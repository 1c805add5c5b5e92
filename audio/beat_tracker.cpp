#include "audio/beat_tracker.h"

#include <cmath>

std::atomic<float> BeatPhase{0.0f};
std::atomic<std::int16_t> DanceMode{3};
std::atomic<float> FreeDanceWeight{0.0f};
std::atomic<float> BeatDanceWeight{0.0f};
std::atomic<float> SilentDanceWeight{1.0f};

namespace {

constexpr float kReleaseNew = 0.05f;  // envelope release per call; the rise is instant
constexpr float kReleaseKeep = 0.95f;
constexpr float kPresenceSpread = 20.0f;  // ring spread above which a beat is followed
constexpr float kRampPerSecond = 1.5f;    // presence and detection: a full swing in 2/3 s
constexpr double kRefractorySeconds = 0.3;
constexpr float kArmFraction = 0.6f;  // of the ring maximum
constexpr float kSlowestTempo = 80.0f;  // measured tempi below this are doubled once
constexpr float kTempoKeep = 0.9995f;   // per call, not per second: about 22 s at 90 calls/s
constexpr float kTempoTake = 0.0005f;
constexpr float kCorrectionSplit = 0.5f;
constexpr float kCorrectionGain = 0.1f;
constexpr float kBeatsPerBar = 4.0f;
constexpr float kPhaseOffsetBeats = 0.3f;  // the dance leads the detected beat a little
constexpr float kPhaseScale = 2.0f;        // the dance phase runs through [0, 4) every two beats
constexpr float kWeightPerSecond = 0.5f;   // a full style cross-fade takes 2 s
constexpr int kMirelB = 2;                 // this dancer never dances on the beat

enum : std::int16_t { kModeFree = 0, kModeBeat = 1, kModeSilent = 3 };

BeatTrackerState g_state;

float EnvelopeLevel(const float* block, int n, BeatTrackerState& s);
void UpdateRingExtremes(BeatTrackerState& s, float level);
bool RampWithHysteresis(bool on, float dt, float& value, float& threshold, bool state);
void FollowOnsets(BeatTrackerState& s, float level);
void AdvanceBarPhase(BeatTrackerState& s, float dt);
std::int16_t ChooseMode(const BeatTrackerState& s, const TrackerInputs& in);
void CrossFadeWeights(std::int16_t mode, float dt);
float WrapFromAbove(float v, float period);

}  // namespace

void AnalyzeAudioBlock(const float* block, int n, const TrackerInputs& inputs) {
    if (n < 1) return;
    BeatTrackerState& s = g_state;
    const float stepMs = inputs.AnalysisStepMs;
    const float dt = std::isfinite(stepMs) && stepMs > 0.0f ? stepMs / 1000.0f : 0.0f;

    const float level = EnvelopeLevel(block, n, s);
    UpdateRingExtremes(s, level);
    s.present = RampWithHysteresis(s.ringMax - s.ringMin > kPresenceSpread, dt, s.presence,
                                   s.presenceThreshold, s.present);
    s.clock += dt;
    FollowOnsets(s, level);
    s.tempo = kTempoKeep * s.tempo + kTempoTake * s.measuredTempo;
    AdvanceBarPhase(s, dt);
    BeatPhase.store(WrapFromAbove(kPhaseScale * (s.barPhase - kPhaseOffsetBeats), kBeatsPerBar),
                    std::memory_order_relaxed);
    s.detected = RampWithHysteresis(s.ringMax > inputs.MinMusicDetect, dt, s.detection,
                                    s.detectionThreshold, s.detected);
    const std::int16_t mode = ChooseMode(s, inputs);
    DanceMode.store(mode, std::memory_order_relaxed);
    CrossFadeWeights(mode, dt);

    s.firstCall = false;
    if (++s.writeSlot == kEnvelopeRingSize) {
        s.writeSlot = 0;
        s.ringWrapped = true;
    }
}

const BeatTrackerState& CurrentBeatTrackerState() { return g_state; }

void ResetBeatTracker() {
    g_state = BeatTrackerState{};
    BeatPhase.store(0.0f, std::memory_order_relaxed);
    DanceMode.store(kModeSilent, std::memory_order_relaxed);
    FreeDanceWeight.store(0.0f, std::memory_order_relaxed);
    BeatDanceWeight.store(0.0f, std::memory_order_relaxed);
    SilentDanceWeight.store(1.0f, std::memory_order_relaxed);
}

namespace {

// The zero-frequency term and the first bin's imaginary part: a phase-dependent measure of the
// lowest band, which the thresholds are calibrated to. Rises at once, falls slowly.
float EnvelopeLevel(const float* block, int n, BeatTrackerState& s) {
    float level = std::sqrt(block[n - 1] * block[n - 1] + block[0] * block[0]);
    if (!std::isfinite(level)) level = 0.0f;  // one bad block must not poison the ring for good
    if (level <= s.smoothedLevel) level = kReleaseNew * level + kReleaseKeep * s.smoothedLevel;
    s.smoothedLevel = level;
    s.ring[s.writeSlot] = level;
    return level;
}

// Keeps one extreme of the ring; `beyond(a, b)` is true when a is strictly more extreme than b.
// Once the ring has wrapped, overwriting the extreme's own slot forces a rescan in which the
// lowest slot wins among equal values.
template <class Beyond>
void KeepExtreme(const BeatTrackerState& s, float level, float& value, int& slot, Beyond beyond) {
    if (s.ringWrapped && slot == s.writeSlot) {
        value = s.ring[0];
        slot = 0;
        for (int i = 1; i < kEnvelopeRingSize; ++i) {
            if (beyond(s.ring[i], value)) {
                value = s.ring[i];
                slot = i;
            }
        }
    } else if (beyond(level, value)) {
        value = level;
        slot = s.writeSlot;
    }
}

void UpdateRingExtremes(BeatTrackerState& s, float level) {
    if (s.firstCall) {
        s.ringMin = s.ringMax = s.ring[0];
        s.ringMinSlot = s.ringMaxSlot = 0;
    }
    KeepExtreme(s, level, s.ringMin, s.ringMinSlot, [](float a, float b) { return a < b; });
    KeepExtreme(s, level, s.ringMax, s.ringMaxSlot, [](float a, float b) { return a > b; });
}

// The state switches on only when value has climbed all the way to 1 and off only when it has
// fallen all the way to 0.
bool RampWithHysteresis(bool on, float dt, float& value, float& threshold, bool state) {
    if (on && value < 1.0f) {
        value += kRampPerSecond * dt;
        if (value > 1.0f) {
            value = 1.0f;
            threshold = 0.0f;
            return true;
        }
        return state;
    }
    if (!on && value > 0.0f) {
        value -= kRampPerSecond * dt;
        if (value < 0.0f) {
            value = 0.0f;
            threshold = 1.0f;
            return false;
        }
        return state;
    }
    return value >= threshold;
}

// An onset is the first fall of the envelope after it has passed 0.6 of the ring maximum.
void FollowOnsets(BeatTrackerState& s, float level) {
    s.beatError = 0.0f;
    s.beatFound = false;
    if (!s.present) {
        s.refractory = s.armed = s.oneBeatSeen = s.intervalKnown = false;
        s.measuredTempo = s.tempo;  // the tempo holds while there is no beat to follow
        return;
    }
    if (s.refractory) {
        if (s.clock - s.lastBeatTime > kRefractorySeconds) s.refractory = false;
    } else if (!s.armed) {
        if (level > kArmFraction * s.ringMax) {
            s.armed = true;
            s.peak = level;
        }
    } else if (level >= s.peak) {
        s.peak = level;
    } else {
        if (s.oneBeatSeen) {
            s.intervalKnown = true;
            s.previousBeatTime = s.lastBeatTime;
        } else {
            s.oneBeatSeen = true;
        }
        s.lastBeatTime = s.clock;
        s.refractory = true;
        s.armed = false;
        s.beatError = s.barPhase - std::trunc(s.barPhase);
        s.beatFound = true;
    }
    if (s.intervalKnown) {
        // The refractory time keeps the interval above 0.3 s.
        float tempo = static_cast<float>(60.0 / (s.lastBeatTime - s.previousBeatTime));
        if (tempo < kSlowestTempo) tempo *= 2.0f;
        s.measuredTempo = tempo;
    }
}

void AdvanceBarPhase(BeatTrackerState& s, float dt) {
    s.barPhase += s.tempo / 60.0f * dt;
    const float e = s.beatError;
    if (e < kCorrectionSplit)
        s.barPhase -= kCorrectionGain * e;
    else
        s.barPhase += kCorrectionGain * (e - kCorrectionSplit);
    s.barPhase = WrapFromAbove(s.barPhase, kBeatsPerBar);
}

std::int16_t ChooseMode(const BeatTrackerState& s, const TrackerInputs& in) {
    if (!s.detected && in.DanceWhenSilent == 0) return kModeSilent;
    if (!s.present && in.DanceWhenSilent == 0) return kModeFree;
    if (in.CurrentDancer == kMirelB) return kModeFree;
    return kModeBeat;
}

// Each weight is loaded and stored once: the thread may have reset one since the last call.
void CrossFadeWeights(std::int16_t mode, float dt) {
    struct Weight {
        std::atomic<float>& value;
        std::int16_t mode;
    };
    const Weight weights[] = {{FreeDanceWeight, kModeFree},
                              {BeatDanceWeight, kModeBeat},
                              {SilentDanceWeight, kModeSilent}};
    const float step = kWeightPerSecond * dt;
    for (const Weight& w : weights) {
        float v = w.value.load(std::memory_order_relaxed);
        if (w.mode == mode) {
            if (v < 1.0f) v = std::fmin(v + step, 1.0f);
        } else if (v > 0.0f) {
            v = std::fmax(v - step, 0.0f);
        }
        w.value.store(v, std::memory_order_relaxed);
    }
}

// Subtracts whole periods while v >= period; no wrap from below. fmod is exact, and unlike a
// subtraction loop it also ends for huge values.
float WrapFromAbove(float v, float period) {
    return v >= period ? std::fmod(v, period) : v;
}

}  // namespace
