// Feeds arbitrary bytes to both settings readers as "Velmoranth.ini" and traps when any value
// ends up outside the range its key allows (the start values are all inside).

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/settings_file.h"
#include "app/settings_globals.h"

namespace {

bool Inside(double value, double lo, double hi) { return value >= lo && value <= hi; }

bool AllInRange() {
    bool ok = Inside(DisplayTextures, 0, 1) && Inside(NumRequestedSpots, 1, 5) &&
              ActiveSpotCount == NumRequestedSpots && Inside(RenderShadows, 0, 1) &&
              Inside(SimpleLighting, 0, 1) && Inside(RequestedRenderEngine, -1, 2) &&
              Inside(RenderRt3DShadows, 0, 1) &&
              Inside(RenderRtReflections, 0, 1) &&
              Inside(RenderRt3DTextures, 0, 1) &&
              Inside(ClubAmbient, 0.0, 0.5) && Inside(MainLightLevel, 0.0, 2.0) &&
              Inside(MinMusicDetect.load(), 1.0, 1000.0) && Inside(StatChoice, 1, 7) &&
              Inside(Stereo3DScale, 0.5, 2.0) && Inside(Stereo3DInvert, -1, 1) &&
              ReportFlags[0] == 0;
    for (int category = 1; category < kReportFlagCount; ++category) {
        ok = ok && Inside(ReportFlags[category], 0, 1);
    }
    return ok;
}

// The readers look in the current directory, but libFuzzer's corpus paths are relative to the
// one it started in, so each input is read in a folder of its own and the start folder restored.
char g_dir[] = "/tmp/velmoranth-settings-fuzz-XXXXXX";
int g_startDir = -1;

void RemoveFolder() {
    if (chdir(g_dir) == 0) unlink("Velmoranth.ini");
    rmdir(g_dir);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_startDir = open(".", O_RDONLY | O_DIRECTORY);
    if (g_startDir < 0 || !mkdtemp(g_dir)) std::abort();
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (chdir(g_dir) != 0) std::abort();
    std::FILE* file = std::fopen("Velmoranth.ini", "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    SetSettingsStartValues();
    MinMusicDetect = 20.0f;
    RequestedRenderEngine = -1;
    RayTracingAvailable = size % 2;  // both ways of reading the ray-tracing keys
    if (ReadReportSettings() != 0 || ReadSettings() != 0) std::abort();
    if (!AllInRange()) __builtin_trap();
    if (fchdir(g_startDir) != 0) std::abort();
    return 0;
}
