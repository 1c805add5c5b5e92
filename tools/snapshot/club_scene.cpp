#include "tools/snapshot/club_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "model/model_factory.h"

namespace {

// The club's placement on top of the camera: turned 180 degrees about y, then moved.
void ApplyClubPlacement() {
    glRotatef(180, 0, 1, 0);
    glTranslatef(8000, -975, -11000);
}

SceneLayer ClubPartLayer(int part) {
    switch (part) {
        case 0:
        case 5:
            return SceneLayer::kFloor;
        case 1:
            return SceneLayer::kCeiling;
        case 2:
        case 6:
            return SceneLayer::kWall;
        default:
            return SceneLayer::kClubFurniture;
    }
}

void SetLayer(SceneLayer layer) { glStencilFunc(GL_ALWAYS, static_cast<GLint>(layer), 0xFF); }

struct Spot {
    float position[3];
    float colour[3];
};
// A few coloured spot lights over the dance floor, aimed at it.
const Spot kSpots[] = {{{-2200, 2900, 3400}, {1.0f, 0.3f, 0.8f}},
                       {{2400, 2900, 2600}, {0.3f, 0.6f, 1.0f}},
                       {{0, 2900, -2500}, {1.0f, 0.8f, 0.3f}}};

void SetUpLights() {
    const float ambient[4] = {0.3f, 0.3f, 0.3f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    const float mainPosition[4] = {0, 2500, 4000, 1};
    const float mainColour[4] = {0.55f, 0.55f, 0.55f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, mainPosition);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, mainColour);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.00005f);
    glEnable(GL_LIGHT0);
    for (int i = 0; i < 3; ++i) {
        const GLenum light = GL_LIGHT1 + i;
        const Spot& s = kSpots[i];
        const float position[4] = {s.position[0], s.position[1], s.position[2], 1};
        const float colour[4] = {s.colour[0], s.colour[1], s.colour[2], 1};
        const float down[3] = {-s.position[0] * 0.3f, -s.position[1], -s.position[2] * 0.3f};
        glLightfv(light, GL_POSITION, position);
        glLightfv(light, GL_DIFFUSE, colour);
        glLightfv(light, GL_SPOT_DIRECTION, down);
        glLightf(light, GL_SPOT_CUTOFF, 30);
        glLightf(light, GL_SPOT_EXPONENT, 8);
        glEnable(light);
    }
}

// The fixtures hang at the spot lights, lens down, the lens lit in the light's colour.
void DrawSpotFixtures(CModelObject* fixture) {
    if (!fixture || fixture->GetPartCount() < 2) return;
    for (const Spot& s : kSpots) {
        glPushMatrix();
        glTranslatef(s.position[0], s.position[1] + 50, s.position[2]);
        fixture->GetPart(0)->Draw();
        glDisable(GL_LIGHTING);
        glColor4f(s.colour[0], s.colour[1], s.colour[2], 1);
        fixture->GetPart(1)->SetColor(s.colour);
        fixture->GetPart(1)->Draw();
        glEnable(GL_LIGHTING);
        glPopMatrix();
    }
}

}  // namespace

bool LoadClubScene(ClubScene* scene) {
    scene->club = std::make_unique<CModelObject>();
    if (scene->club->Load(PropModelPath(ClubRecord).c_str(), ClubRecord, 0) != kLoadOk) {
        scene->club.reset();
        return false;
    }
    for (const ModelRecord& record : PropRecords) scene->props.push_back(CreateProp(&record));
    return true;
}

void DrawClubScene(const ClubScene& scene, const SnapshotCamera& camera, int width, int height) {
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(camera.fovDegrees, double(width) / height, 200, 50000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(camera.eye[0], camera.eye[1], camera.eye[2], camera.target[0], camera.target[1],
              camera.target[2], 0, 1, 0);

    // The program's fixed state: drawn faces wind clockwise, back faces culled, colour
    // material on the front faces.
    glShadeModel(GL_SMOOTH);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_STENCIL_TEST);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    SetUpLights();

    SetLayer(SceneLayer::kProp);
    for (int k = 0; k < kPropCount; ++k) {
        CModelObject* prop = scene.props[k].get();
        if (k == kPropSpotLight) {
            DrawSpotFixtures(prop);
        } else if (prop) {
            prop->Draw();
        }
    }
    if (scene.club) {
        glPushMatrix();
        ApplyClubPlacement();
        for (int p = 0; p < scene.club->GetPartCount(); ++p) {
            SetLayer(ClubPartLayer(p));
            scene.club->GetPart(p)->Draw();
        }
        glPopMatrix();
    }
    glDisable(GL_STENCIL_TEST);
    glFinish();
}
