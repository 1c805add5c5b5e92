// Time to load the club, the nine props and their textures from the run folder's Models/,
// with display lists compiled as the loader does and with every part drawn from its arrays.
// Run from the run folder under Xvfb: xvfb-run ./model_bench

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/model_catalogue.h"
#include "model/model_object.h"
#include "tools/offscreen_gl/offscreen_gl.h"

namespace {

std::vector<const ModelRecord*> SceneRecords() {
    std::vector<const ModelRecord*> records = {&ClubRecord};
    for (const ModelRecord& r : PropRecords) records.push_back(&r);
    return records;
}

std::int64_t SceneBytes() {
    std::int64_t bytes = 0;
    for (const ModelRecord* r : SceneRecords()) {
        bytes += static_cast<std::int64_t>(
            std::filesystem::file_size(std::string("Models/") + r->name + ".dat"));
    }
    for (const char* gif : {"ceiling.gif", "carpet.gif"}) {
        bytes += static_cast<std::int64_t>(std::filesystem::file_size(std::string("Models/") + gif));
    }
    return bytes;
}

void LoadScene(benchmark::State& state, bool displayLists) {
    const auto context = GlContext::Create();
    if (!context) {
        state.SkipWithError("no OpenGL context (run under xvfb-run)");
        return;
    }
    // Without lists: the same records with every part marked deforming, which the loader never
    // compiles.
    std::vector<std::vector<ModelPartEntry>> tables;
    std::vector<ModelRecord> records;
    for (const ModelRecord* r : SceneRecords()) {
        tables.emplace_back(r->parts, r->parts + r->partCount);
        if (!displayLists) {
            for (ModelPartEntry& e : tables.back()) e.flags[kEntryDeforming] = 1;
        }
        records.push_back(*r);
    }
    for (std::size_t i = 0; i < records.size(); ++i) records[i].parts = tables[i].data();
    for (auto _ : state) {
        std::vector<std::unique_ptr<CModelObject>> models;
        for (const ModelRecord& r : records) {
            models.push_back(std::make_unique<CModelObject>());
            const std::string path = std::string("Models/") + r.name + ".dat";
            if (models.back()->Load(path.c_str(), r, 0) != kLoadOk) {
                state.SkipWithError("Models/ is incomplete");
                return;
            }
        }
        glFinish();
    }
    state.SetBytesProcessed(state.iterations() * SceneBytes());
}

void BM_LoadSceneWithDisplayLists(benchmark::State& state) { LoadScene(state, true); }
void BM_LoadSceneFromArrays(benchmark::State& state) { LoadScene(state, false); }
BENCHMARK(BM_LoadSceneWithDisplayLists)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSceneFromArrays)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
