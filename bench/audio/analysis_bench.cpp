// One analysis pass as the analysis thread runs it for every block: the 512-point spectrum and
// the tracker. core_percent_at_86_per_s is the share of one core it takes at the recording
// rate of 86 blocks a second.
#include "audio/auto_gain.h"
#include "audio/beat_tracker.h"
#include "audio/real_fft.h"
#include "tests/audio/support/synth_audio.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kBlock = 512;
constexpr double kBlocksPerSecond = 86.0;  // 44100 Hz in 512-frame blocks

// Walks through a kick track so the tracker arms, beats and rescans its ring as it would.
void AnalysisPass(benchmark::State& state, bool withTracker) {
    const std::vector<float> song = MakeKicks({.bpm = 120.0, .seconds = 4.0});
    ResetAutoGain();
    ResetBeatTracker();
    const TrackerInputs inputs{.AnalysisStepMs = 11.6f};
    std::size_t offset = 0;
    float block[kBlock];
    for (auto _ : state) {
        std::copy_n(song.data() + offset, kBlock, block);
        offset = (offset + kBlock) % (song.size() - kBlock);
        ComputeSpectrum(block, kBlock, 0);
        if (withTracker) AnalyzeAudioBlock(block, kBlock, inputs);
        benchmark::DoNotOptimize(block);
    }
    // 1 / (x * iterations / seconds) with x = 1 / (86 x 100): 86 x 100 x seconds per pass.
    state.counters["core_percent_at_86_per_s"] = benchmark::Counter(
        1.0 / (kBlocksPerSecond * 100.0),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_AnalysisPass(benchmark::State& state) { AnalysisPass(state, true); }
void BM_SpectrumOnly(benchmark::State& state) { AnalysisPass(state, false); }

}  // namespace

BENCHMARK(BM_AnalysisPass);
BENCHMARK(BM_SpectrumOnly);
