// The runtime's launch of the camera and miss programs over a window: the cost of the tiles,
// the worker pool and the primary rays' set-up, before any scene is traced. Threads: the
// context's default (VM_RT_THREADS to change it).

#include <benchmark/benchmark.h>

#include "platform/rt/rt_api.h"

namespace {

struct CameraAndMiss {
    CameraAndMiss(RTsize w, RTsize h) {
        rtContextCreate(&context);
        rtContextSetRayTypeCount(context, 2);
        rtContextSetEntryPointCount(context, 1);
        rtBufferCreate(context, RT_BUFFER_OUTPUT, &output);
        rtBufferSetFormat(output, RT_FORMAT_UNSIGNED_BYTE4);
        rtBufferSetSize2D(output, w, h);
        RTvariable out = nullptr;
        rtContextDeclareVariable(context, "outputBuffer", &out);
        rtVariableSetObject(out, output);
        RTprogram camera = nullptr, miss = nullptr;
        rtProgramCreateFromPTXFile(context, "VMCamera.ptx", "camera", &camera);
        rtProgramCreateFromPTXFile(context, "VMSky.ptx", "miss", &miss);
        rtContextSetRayGenerationProgram(context, 0, camera);
        rtContextSetMissProgram(context, 0, miss);
    }
    ~CameraAndMiss() { rtContextDestroy(context); }
    RTcontext context = nullptr;
    RTbuffer output = nullptr;
};

void BM_LaunchCameraAndMiss(benchmark::State& state) {
    const auto w = static_cast<RTsize>(state.range(0));
    const auto h = static_cast<RTsize>(state.range(1));
    CameraAndMiss scene(w, h);
    if (rtContextValidate(scene.context) != RT_SUCCESS) {
        state.SkipWithError("no program files here: run from the run folder");
        return;
    }
    for (auto _ : state) {
        if (rtContextLaunch2D(scene.context, 0, w, h) != RT_SUCCESS) {
            state.SkipWithError("launch failed");
            return;
        }
    }
    // Primary rays per second.
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(w * h));
}

BENCHMARK(BM_LaunchCameraAndMiss)->Args({960, 540})->Args({1920, 1080})->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
