// Cost of the matrix helpers every joint of every frame goes through.

#include <benchmark/benchmark.h>

#include "model/vec_math.h"

namespace {

void BM_Mat4Multiply(benchmark::State& state) {
    float a[16];
    float b[16];
    float out[16];
    Mat4RotateXYZ(a, 0.3f, -1.1f, 2.0f);
    Mat4Translation(b, 10.0f, -4.0f, 7.5f);
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        Mat4Multiply(a, b, out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_Mat4Multiply);

void BM_Mat4RotateXYZ(benchmark::State& state) {
    float m[16];
    float ax = 0.3f;
    float ay = -1.1f;
    float az = 2.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ax);
        benchmark::DoNotOptimize(ay);
        benchmark::DoNotOptimize(az);
        Mat4RotateXYZ(m, ax, ay, az);
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(BM_Mat4RotateXYZ);

}  // namespace
