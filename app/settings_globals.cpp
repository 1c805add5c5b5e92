#include "app/settings_globals.h"

int NumRequestedSpots;
int RenderRt3DShadows;
int RenderRtReflections;
int RenderRt3DTextures;
std::array<int, kReportFlagCount> ReportFlags;
int SettingsDirty;
int RequestedRenderEngine = -1;

void SetSettingsStartValues() {
    SetDisplayStartValues();
    SetViewStartValues();
    SetRenderStartValues();
    NumRequestedSpots = 3;
    RenderRt3DShadows = 1;
    RenderRtReflections = 1;
    RenderRt3DTextures = 1;
    ReportFlags = {0, 1, 1, 1, 1};
    SettingsDirty = 0;
}

namespace {
// The start values are in force from the program's start, before scene start-up sets them
// again, so code that runs earlier (or alone, in a test) sees them too.
[[maybe_unused]] const bool kStartValuesApplied = (SetSettingsStartValues(), true);
}  // namespace
