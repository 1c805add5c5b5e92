#include "raytrace/rt_install.h"

#include "raytrace/rt_frame.h"
#include "raytrace/rt_update.h"
#include "render/frame_hooks.h"

namespace raytrace {

void InstallRtFrameHooks() {
    FrameRt.RemoveDancer = RtRemoveDancer;
    FrameRt.AddDancer = RtAddDancer;
    FrameRt.UpdateLights = RtUpdateLights;
    FrameRt.UpdateSpotLights = RtUpdateSpotLights;
    FrameRt.UpdateCamera = RtUpdateCamera;
    FrameRt.UpdateDancer = RtUpdateDancer;
    FrameRt.Launch = RtLaunch;
    FrameRt.DisplayOutput = [] { RtDisplayOutput(); };
    FrameRt.UnmapOutput = [] { RtUnmapOutput(); };
    FrameRt.ResizeOutputBuffer = RtResizeOutputBuffer;
}

}  // namespace raytrace
