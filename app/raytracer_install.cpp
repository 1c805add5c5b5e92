#include "app/raytracer_install.h"

#include "animation/view_options.h"
#include "app/scene_init.h"
#include "app/settings_globals.h"
#include "app/subsystem_calls.h"
#include "model/report_message.h"
#include "raytrace/rt_context.h"
#include "raytrace/rt_install.h"
#include "raytrace/rt_host.h"
#include "raytrace/rt_report.h"

void InstallRayTracer() {
    namespace rt = raytrace;
    rt::RtHost = rt::RtHostState{&RayTracingAvailable, &RenderEngine,       &NoiseTable,
                                 ::ReportMessage,      &RenderRt3DShadows, &RenderRtReflections,
                                 &RenderRt3DTextures};
    // Start-up failures shut the ray tracer down again, so a failed start leaves nothing.
    RayTracer = RayTracerCalls{rt::RtCheckAvailable,   rt::RtStart,       rt::RtShutdown,
                               rt::CloseRtErrorReport, rt::RtHoldWarning, rt::RtReleaseWarning};
    rt::InstallRtFrameHooks();
}
