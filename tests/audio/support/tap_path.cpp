#include "tests/audio/support/tap_path.h"

#include "audio/auto_gain.h"
#include "audio/real_fft.h"
#include "tests/audio/support/synth_audio.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMixerBlockFrames = 1024;
constexpr int kTapValues = 512;
constexpr float kGainBypassPeak = 0.9f;  // louder blocks are analysed without gain

// The tap's copy of mixer block k: every second frame; a short last block is padded with 0.
void TapBlock(std::span<const float> mono, std::size_t k, float* block) {
    const std::size_t first = k * kMixerBlockFrames;
    for (int i = 0; i < kTapValues; ++i) {
        const std::size_t frame = first + 2 * static_cast<std::size_t>(i);
        block[i] = frame < mono.size() ? mono[frame] : 0.0f;
    }
}

// The thread's hand-over of a tap block: gain from its positive peak and mean level.
void GainTapBlock(float* block) {
    float peak = 0.0f, sum = 0.0f;
    for (int i = 0; i < kTapValues; ++i) {
        peak = std::max(peak, block[i]);
        sum += std::fabs(block[i]);
    }
    if (peak < kGainBypassPeak) AutoGain(block, kTapValues, sum / kTapValues, peak);
}

}  // namespace

void RunTapPath(std::span<const float> mono, const TapPathOptions& options,
                const std::function<void(const TapPass&)>& onPass) {
    ResetAutoGain();
    ResetBeatTracker();
    const std::size_t blocks = (mono.size() + kMixerBlockFrames - 1) / kMixerBlockFrames;
    const double blockSeconds = static_cast<double>(kMixerBlockFrames) / kMixRate;
    TrackerInputs inputs = options.inputs;
    // The thread's clock has just moved past 0, so its first analysis has a step of 0.
    double now = 0.001;
    long lastMs = 1;
    std::size_t nextBlock = 0;  // the oldest block not yet taken
    float block[kTapValues];
    while (nextBlock < blocks) {
        const long nowMs = static_cast<long>(std::floor(now * 1000.0 + 1e-9));
        inputs.AnalysisStepMs = static_cast<float>(nowMs - lastMs);
        // Mixer block k is handed over once it has been rendered, at (k + 1) block lengths;
        // only the newest one is kept.
        const auto rendered = static_cast<std::size_t>(std::floor(now / blockSeconds + 1e-9));
        const bool tap = rendered > nextBlock;
        if (tap) {
            const std::size_t newest = std::min(rendered, blocks) - 1;
            TapBlock(mono, newest, block);
            GainTapBlock(block);
            nextBlock = newest + 1;
        } else {
            now += options.sleepMs / 1000.0;
            std::fill(block, block + kTapValues, 0.0f);
        }
        ComputeSpectrum(block, kTapValues, 0);
        AnalyzeAudioBlock(block, kTapValues, inputs);
        lastMs = nowMs;
        onPass({now, tap, CurrentBeatTrackerState()});
    }
}
