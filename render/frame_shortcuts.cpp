#include "render/frame_shortcuts.h"

bool FrameShortcuts = true;
