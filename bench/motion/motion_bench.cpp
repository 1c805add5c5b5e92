// Time of one dance motion frame on each generated dancer: the full step in each dance style,
// and a held frame (unchanged phase), which only rebuilds the joint matrices.
// Run from the run folder under Xvfb: xvfb-run ./motion_bench

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "animation/human_object.h"
#include "audio/beat_tracker.h"
#include "model/model_catalogue.h"
#include "tools/offscreen_gl/offscreen_gl.h"

namespace {

struct Style {
    float silent, free, beat;
    std::int16_t mode;
};
constexpr Style kStyles[] = {{1, 0, 0, 3}, {0, 1, 0, 0}, {0, 0, 1, 1}};
constexpr const char* kStyleNames[] = {"silent", "free", "beat"};
constexpr int kHeld = 3;  // the style argument that times a held frame
constexpr float kFrameMs = 16;
constexpr float kPhasePerFrame = kFrameMs * 2.0f / 500.0f;  // two units a beat at 120 bpm

void Publish(const Style& style) {
    SilentDanceWeight.store(style.silent);
    FreeDanceWeight.store(style.free);
    BeatDanceWeight.store(style.beat);
    DanceMode.store(style.mode);
}

void MotionFrame(benchmark::State& state) {
    const auto context = GlContext::Create();
    if (!context) {
        state.SkipWithError("no OpenGL context (run under xvfb-run)");
        return;
    }
    InitMaterialTables();
    const ModelRecord& record = DancerRecords[state.range(0)];
    auto dancer = std::make_unique<CHumanObject>();
    if (dancer->Load(DancerModelPath(0, record).c_str(), record, 0) != kLoadOk) {
        state.SkipWithError("generated dancer missing: run from the run folder");
        return;
    }
    const int style = static_cast<int>(state.range(1));
    Publish(kStyles[style == kHeld ? 1 : style]);
    std::srand(1);
    float phase = 0;
    for (int i = 0; i < 100; ++i) {  // past the first frames, which measure the legs
        phase += kPhasePerFrame;
        BeatPhase.store(phase);
        dancer->AnimatorCall(kFrameMs);
    }
    for (auto _ : state) {
        if (style != kHeld) {
            phase += kPhasePerFrame;
            if (phase >= 4) phase -= 4;
            BeatPhase.store(phase);
        }
        dancer->AnimatorCall(kFrameMs);
        benchmark::DoNotOptimize(dancer->GetNode(0).transform->matrix[0]);
    }
    state.SetLabel(std::string(record.name) + " " + (style == kHeld ? "held" : kStyleNames[style]));
}

BENCHMARK(MotionFrame)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, kHeld}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
