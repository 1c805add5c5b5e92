#include "model/display_options.h"

int DisplayTextures;

void SetDisplayStartValues() { DisplayTextures = 1; }

namespace {
// In force from the program's start, so code that runs before scene start-up sees them too.
[[maybe_unused]] const bool kStartValuesApplied = (SetDisplayStartValues(), true);
}  // namespace
