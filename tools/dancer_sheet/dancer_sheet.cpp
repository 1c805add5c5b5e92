// Draws the seven dancers side by side into a PNG, from the current directory's Models/.
// Usage: dancer_sheet out.png [front|side|back|head] [rest|stance|dance] [Shadow]  (under Xvfb)
// "stance" bends the legs roughly as the dance holds them, feet planted apart on the floor;
// "dance" lets each dancer dance three seconds to a steady beat first.

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "animation/human_object.h"
#include "audio/beat_tracker.h"
#include "model/model_catalogue.h"
#include "model/model_object.h"
#include "model/vec_math.h"
#include "tools/offscreen_gl/offscreen_gl.h"
#include "tools/snapshot/png_writer.h"

namespace {

constexpr float kSpacing = 620;  // between dancers, millimetres

// Bends hips and knees, feet levelled: current = R(angles) x rest, as the dance does.
void ApplyStance(CModelObject* model) {
    const struct {
        int joint;
        float x, z;
    } pose[] = {{1, 15, 10}, {5, 15, -10}, {2, -30, 0}, {6, -30, 0}, {3, 15, -10}, {7, 15, 10}};
    for (const auto& p : pose) {
        PartTransform* t = model->GetNode(model->GetJointNode(p.joint)).transform;
        float r[16];
        Mat4RotateXYZ(r, DegToRad(p.x), 0, DegToRad(p.z));
        Mat4Multiply(r, t->restMatrix, t->matrix);
    }
}

void SetUpView(int width, int height) {
    glViewport(0, 0, width, height);
    glClearColor(0.18f, 0.18f, 0.22f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float halfWidth = kDancerCount * kSpacing / 2;
    const float top = 2 * halfWidth * height / width;
    glOrtho(-halfWidth, halfWidth, -20, top - 20, -5000, 5000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glShadeModel(GL_SMOOTH);
    glFrontFace(GL_CW);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_NORMALIZE);
    const float ambient[4] = {0.35f, 0.35f, 0.35f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    const float direction[4] = {0.4f, 0.5f, 1, 0};
    const float colour[4] = {0.75f, 0.75f, 0.75f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, colour);
    glEnable(GL_LIGHT0);
}

// Three seconds of 60 frames a second on the beat at 120 beats a minute.
void Dance(CHumanObject* dancer) {
    constexpr float kFrameMs = 1000.0f / 60;
    constexpr float kPhasePerMs = 2 * 2.0f / 1000;  // two units a beat, two beats a second
    DanceMode.store(1);
    SilentDanceWeight.store(0);
    FreeDanceWeight.store(0);
    BeatDanceWeight.store(1);
    float phase = 0;
    for (int frame = 0; frame < 180; ++frame) {
        phase = std::fmod(phase + kPhasePerMs * kFrameMs, 4.0f);
        BeatPhase.store(phase);
        dancer->AnimatorCall(kFrameMs);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: dancer_sheet out.png [front|side|back|head] [rest|stance] "
                     "[Shadow]\n");
        return 2;
    }
    const std::string view = argc > 2 ? argv[2] : "front";
    const bool stance = argc > 3 && std::strcmp(argv[3], "stance") == 0;
    const bool dance = argc > 3 && std::strcmp(argv[3], "dance") == 0;
    const std::string suffix = argc > 4 ? argv[4] : "";
    GlContextOptions options;
    options.width = 1736;
    options.height = view == "head" ? 420 : 860;
    const auto context = GlContext::Create(options);
    if (!context) {
        std::fprintf(stderr, "no OpenGL context: is DISPLAY set (run under xvfb-run)?\n");
        return 1;
    }
    InitMaterialTables();
    SetUpView(context->Width(), context->Height());
    const float turn = view == "side" ? 90 : view == "back" ? 180 : 0;
    for (int i = 0; i < kDancerCount; ++i) {
        const ModelRecord& record = DancerRecords[i];
        CHumanObject model;
        const std::string path = std::string("Models/") + record.name + suffix + ".dat";
        if (model.Load(path.c_str(), record, 0) != kLoadOk) {
            std::fprintf(stderr, "cannot load %s\n", path.c_str());
            continue;
        }
        if (stance) ApplyStance(&model);
        if (dance) Dance(&model);
        const float position[3] = {(i - (kDancerCount - 1) / 2.0f) * kSpacing, 0, 0};
        model.SetInstanceCount(1);
        model.SetPosition(0, position);
        model.SetRotY(0, turn);
        glPushMatrix();
        if (view == "head") {
            // Heads three times larger, centred in the strip.
            constexpr float kZoom = 3;
            constexpr float kHeadY = 1780;
            glTranslatef(position[0], 500, 0);
            glScalef(kZoom, kZoom, kZoom);
            glTranslatef(-position[0], -kHeadY, 0);
        }
        model.DrawInstances(2, 1);  // opaque parts first, then the translucent ones
        model.DrawInstances(1, 1);
        glPopMatrix();
    }
    glFinish();
    if (!WritePng(argv[1], context->Width(), context->Height(), context->ReadRgba())) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
