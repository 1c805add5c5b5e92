#include "render/render_options.h"

float ClubAmbient;
float MainLightLevel;
int StatChoice;

void SetRenderStartValues() {
    ClubAmbient = 0.1f;
    MainLightLevel = 0.4f;
    StatChoice = 2;
}

namespace {
// In force from the program's start, so code that runs before scene start-up sees them too.
[[maybe_unused]] const bool kStartValuesApplied = (SetRenderStartValues(), true);
}  // namespace
