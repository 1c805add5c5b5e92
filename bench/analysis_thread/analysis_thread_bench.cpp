// CPU time of the analysis thread per second of recorded audio: its passes run on a virtual
// clock, so the time measured is the thread's own work (conversion, gain, transform and
// tracker for 86 blocks), without the waits between blocks.

#include "audio/analysis_thread.h"
#include "audio/beat_tracker.h"
#include "tests/audio/support/scripted_capture.h"
#include "tests/audio/support/synth_audio.h"

#include <benchmark/benchmark.h>

namespace {

void BM_RecordingPathPerSecondOfAudio(benchmark::State& state) {
    ResetBeatTracker();
    VirtualClock clock;
    ScriptedCapture capture(clock);
    KickTrack track;
    track.seconds = 60.0;
    capture.AddDevice({.signal = MakeKicks(track)});
    AudioAnalysisWorker worker(capture, clock, {});
    worker.BeginRun();
    for (auto _ : state) {
        const double end = clock.Now() + 1000.0;
        while (clock.Now() < end) {
            worker.RunPass(std::stop_token{});
            clock.Advance(0.01);
        }
    }
    state.counters["blocks_per_audio_second"] = benchmark::Counter(
        static_cast<double>(worker.Counts().recorded.load()) / state.iterations());
    worker.EndRun();
}
BENCHMARK(BM_RecordingPathPerSecondOfAudio)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
