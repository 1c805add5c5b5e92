// Draws the club from a camera into a PNG, in the current directory's Models/ content.
// Usage: snapshot out.png [eye x y z target x y z] [width height]   (run under Xvfb)

#include <cstdio>
#include <cstdlib>

#include "tools/offscreen_gl/offscreen_gl.h"
#include "tools/snapshot/club_scene.h"
#include "tools/snapshot/png_writer.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 8 && argc != 10) {
        std::fprintf(stderr,
                     "usage: snapshot out.png [eyeX eyeY eyeZ targetX targetY targetZ] "
                     "[width height]\n");
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
    DrawClubScene(scene, camera, context->Width(), context->Height());
    if (!WritePng(argv[1], context->Width(), context->Height(), context->ReadRgba())) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
