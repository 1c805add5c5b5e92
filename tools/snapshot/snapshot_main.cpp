// Draws the club from a camera into a PNG, in the current directory's Models/ content.
// Usage: snapshot out.png [eye x y z target x y z] [width height]   (run under Xvfb)
//        snapshot out.png frame [width height]: a whole frame as the program draws it, through
//        the frame driver from the start camera, with the statistics overlay.
//        snapshot out.png rtframe [width height]: the same frame drawn by the ray tracer, with
//        its shadows, reflections and 3D textures on.
// VELMORANTH_SNAPSHOT_DANCER=<dancer index 0 to 6> adds that dancer, posed after
// VELMORANTH_SNAPSHOT_FRAMES frames (default 0) of 16 ms of dancing to a steady 120 beats a
// minute in VELMORANTH_SNAPSHOT_STYLE: silent, free or beat (default beat).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "animation/dancer_selection.h"
#include "audio/beat_tracker.h"
#include "animation/view_options.h"
#include "animation/view_state.h"
#include "model/noise_table.h"
#include "raytrace/rt_context.h"
#include "raytrace/rt_host.h"
#include "raytrace/rt_install.h"
#include "render/demo/demo_scene.h"
#include "render/frame_driver.h"
#include "render/scene_state.h"
#include "tools/offscreen_gl/offscreen_gl.h"
#include "tools/snapshot/club_scene.h"
#include "tools/snapshot/png_writer.h"

namespace {

constexpr float kFrameMs = 16;  // one frame of dancing

int EnvInt(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}

void PublishStyle(const char* style) {
    const bool silent = style && std::strcmp(style, "silent") == 0;
    const bool free = style && std::strcmp(style, "free") == 0;
    SilentDanceWeight.store(silent ? 1.0f : 0.0f);
    FreeDanceWeight.store(free ? 1.0f : 0.0f);
    BeatDanceWeight.store(silent || free ? 0.0f : 1.0f);
    DanceMode.store(silent ? 3 : free ? 0 : 1);
}

// The dancer the environment asks for, danced for its frames; null when none is asked for.
std::unique_ptr<CHumanObject> PosedDancer() {
    const int index = EnvInt("VELMORANTH_SNAPSHOT_DANCER", -1);
    if (index < 0 || index >= kDancerCount) return nullptr;
    InitMaterialTables();
    auto dancer = CreateDancer(0, &DancerRecords[index]);
    if (!dancer) return nullptr;
    PublishStyle(std::getenv("VELMORANTH_SNAPSHOT_STYLE"));
    constexpr float kPhasePerMs = 2.0f / 500.0f;  // two phase units a beat
    std::srand(1);                                // the same pose on every run
    float phase = 0;
    for (int frame = EnvInt("VELMORANTH_SNAPSHOT_FRAMES", 0); frame > 0; --frame) {
        phase += kFrameMs * kPhasePerMs;
        if (phase >= 4) phase -= 4;
        BeatPhase.store(phase);
        dancer->AnimatorCall(kFrameMs);
    }
    return dancer;
}

// The frame clock of a whole-frame snapshot: kFrameMs per tick.
float g_frameClockMs = 1000;
float SteppedFrameClock(std::int32_t* base) {
    if (*base == 0) *base = static_cast<std::int32_t>(g_frameClockMs);
    return g_frameClockMs - static_cast<float>(*base);
}

// The ray tracer as the engine, with its switches at their start values.
bool StartRayTracer() {
    static const std::vector<float> noise = NoiseValues(1024);
    static const int on = 1;
    raytrace::RtHost = raytrace::RtHostState{&RayTracingAvailable, &RenderEngine, &noise, nullptr,
                                             &on, &on, &on};
    raytrace::InstallRtFrameHooks();
    RayTracingAvailable = 1;
    if (raytrace::RtStart() != 0) return false;
    RenderEngine = kRayTracerEngine;
    return true;
}

int SnapshotFrame(const char* out, int width, int height, bool rayTraced) {
    const auto context = GlContext::Create({width, height, 24, 8});
    if (!context) {
        std::fprintf(stderr, "no OpenGL context: is DISPLAY set (run under xvfb-run)?\n");
        return 1;
    }
    FrameClock = &SteppedFrameClock;
    auto scene = DemoScene::Create({width, height, EnvInt("VELMORANTH_SNAPSHOT_DANCER", 0)});
    if (!scene) {
        std::fprintf(stderr, "I couldn't find Club.dat!\n");
        return 1;
    }
    if (rayTraced && !StartRayTracer()) {
        std::fprintf(stderr, "the ray tracer did not start: see rt_error_report.txt\n");
        return 1;
    }
    ShowStats = 1;
    std::srand(1);  // the same pose on every run
    // The first two ticks only start the clock.
    for (int tick = 3 + EnvInt("VELMORANTH_SNAPSHOT_FRAMES", 0); tick > 0; --tick) {
        g_frameClockMs += kFrameMs;
        AnimateAndRenderFrame();
    }
    const bool written = WritePng(out, width, height, context->ReadRgba());
    if (rayTraced) raytrace::RtShutdown();
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", out);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool frame = argc >= 3 && std::strcmp(argv[2], "frame") == 0;
    const bool rtframe = argc >= 3 && std::strcmp(argv[2], "rtframe") == 0;
    if ((argc == 3 || argc == 5) && (frame || rtframe)) {
        return SnapshotFrame(argv[1], argc == 5 ? std::atoi(argv[3]) : 960,
                             argc == 5 ? std::atoi(argv[4]) : 540, rtframe);
    }
    if (argc != 2 && argc != 8 && argc != 10) {
        std::fprintf(stderr,
                     "usage: snapshot out.png [eyeX eyeY eyeZ targetX targetY targetZ] "
                     "[width height]\n       snapshot out.png frame|rtframe [width height]\n");
        return 2;
    }
    SnapshotCamera camera;
    if (argc >= 8) {
        for (int i = 0; i < 3; ++i) {
            camera.eye[i] = std::strtof(argv[2 + i], nullptr);
            camera.target[i] = std::strtof(argv[5 + i], nullptr);
        }
    }
    GlContextOptions options;
    options.width = argc == 10 ? std::atoi(argv[8]) : 960;
    options.height = argc == 10 ? std::atoi(argv[9]) : 540;
    const auto context = GlContext::Create(options);
    if (!context) {
        std::fprintf(stderr, "no OpenGL context: is DISPLAY set (run under xvfb-run)?\n");
        return 1;
    }
    ClubScene scene;
    if (!LoadClubScene(&scene)) {
        std::fprintf(stderr, "I couldn't find Club.dat!\n");
        return 1;
    }
    const std::unique_ptr<CHumanObject> dancer = PosedDancer();
    DrawClubScene(scene, camera, context->Width(), context->Height());
    // The scene leaves its camera, lights and depth test in force for her.
    if (dancer) dancer->Draw();
    if (!WritePng(argv[1], context->Width(), context->Height(), context->ReadRgba())) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
