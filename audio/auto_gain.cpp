#include "audio/auto_gain.h"

namespace {
constexpr float kTargetMean = 0.5f;
constexpr float kMaxGain = 5.0f;
constexpr float kGainKeep = 0.9f;  // per block: G = 0.9 G + 0.1 g
constexpr float kGainTake = 0.1f;

float g_gain = 0.0f;  // starts at 0, so the first blocks after start-up are attenuated
}  // namespace

void AutoGain(float* block, int count, float mean, float peak) {
    if (mean == 0.0f || peak == 0.0f) return;
    float g = kTargetMean / mean;
    if (g > kMaxGain) g = kMaxGain;
    if (g * peak > 1.0f) g = 1.0f / peak;
    g_gain = kGainKeep * g_gain + kGainTake * g;
    for (int i = 0; i < count; ++i) block[i] *= g_gain;
}

float AutoGainValue() { return g_gain; }

void ResetAutoGain() { g_gain = 0.0f; }
