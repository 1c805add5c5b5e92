// One full dance step of each generated dancer: legs, mesh deformations, spine sway, chains,
// gaze, arms and fingers, then the joint matrices. The bar moves on every frame, so every
// step runs; the beat style is the one with the most deformation work.
// Run from the run folder (it loads Models/): ./legs_bench

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "animation/dancer_selection.h"
#include "animation/human_object.h"
#include "audio/beat_tracker.h"
#include "model/model_catalogue.h"

namespace {

constexpr float kFrameMs = 1000.0f / 60;

void DanceUpdate(benchmark::State& state) {
    const int index = static_cast<int>(state.range(0));
    InitMaterialTables();
    std::unique_ptr<CHumanObject> dancer = CreateDancer(0, &DancerRecords[index]);
    if (!dancer) {
        state.SkipWithError("no generated dancer: run from the run folder");
        return;
    }
    state.SetLabel(DancerRecords[index].name);
    std::srand(1);
    DanceMode = 1;
    SilentDanceWeight = 0;
    FreeDanceWeight = 0.3f;
    BeatDanceWeight = 0.7f;
    float phase = 0;
    for (auto _ : state) {
        phase += 4 * kFrameMs / 1000;  // two phase units a beat at 120 beats a minute
        if (phase >= 4) phase -= 4;
        BeatPhase = phase;
        dancer->Motion->Update(kFrameMs);
        benchmark::ClobberMemory();
    }
    ResetBeatTracker();
}

}  // namespace

BENCHMARK(DanceUpdate)->DenseRange(0, kDancerCount - 1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
