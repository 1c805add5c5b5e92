// Time to write and to read back the whole settings file, in a folder of its own.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/settings_file.h"

namespace {

// Runs the benchmark in a fresh temporary current directory and removes it afterwards.
class ScratchFolder {
public:
    ScratchFolder() : m_old(std::filesystem::current_path()) {
        std::string dir =
            (std::filesystem::temp_directory_path() / "velmoranth-bench-XXXXXX").string();
        if (!mkdtemp(dir.data())) std::abort();
        m_dir = dir;
        std::filesystem::current_path(m_dir);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(m_old);
        std::filesystem::remove_all(m_dir);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    std::filesystem::path m_old;
    std::filesystem::path m_dir;
};

// Includes the flush to the disk that makes the new file safe before it replaces the old one.
void BM_WriteSettings(benchmark::State& state) {
    ScratchFolder folder;
    for (auto _ : state) {
        if (WriteSettings() != 0) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteSettings)->Unit(benchmark::kMicrosecond);

// Both readers, as scene start-up runs them.
void BM_ReadSettings(benchmark::State& state) {
    ScratchFolder folder;
    if (WriteSettings() != 0) state.SkipWithError("write failed");
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadReportSettings());
        benchmark::DoNotOptimize(ReadSettings());
    }
}
BENCHMARK(BM_ReadSettings)->Unit(benchmark::kMicrosecond);

}  // namespace
