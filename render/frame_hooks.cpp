#include "render/frame_hooks.h"

FrameSoundHooks FrameSound;
FrameRtHooks FrameRt;
int ShutDownStarted = 0;
