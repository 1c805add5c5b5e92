#include "render/scene_setup.h"

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "render/render_options.h"
#include "model/mesh_part.h"
#include "platform/text/bitmap_font.h"
#include "render/scene_state.h"

namespace {

constexpr int kGridCells = 32;             // per side
constexpr int kGridSide = kGridCells + 1;  // vertices per side
constexpr float kGridStep = 562.5f;        // 18000 units over 32 cells
constexpr float kGridHalfSpan = 9000.0f;
constexpr float kGridHeight = 10.0f;  // just above the club floor's dance area
constexpr unsigned kFontListCount = 256;
constexpr unsigned kFontGlyphCount = 255;  // codes 0 to 254

struct LightSpec {
    float hue, saturation, value;
    float where[3];  // the plain lights' direction, the spots' position
};
constexpr LightSpec kSimpleLight = {0, 0, 0.6f, {-1.0f, 1.2f, 1.0f}};
constexpr float kMainLightDirection[3] = {2200.0f, -1000.0f, -3400.0f};
// Spot 0 is the colourless key spot; 1 to 4 are the coloured spots of the light show.
constexpr LightSpec kSpotSpecs[kSpotLightCount] = {
    {0, 0, 1, {-2200, 2900, 3400}},  {0, 1, 1, {3050, 2900, 3300}},
    {180, 1, 1, {6400, 2900, 3300}}, {300, 1, 1, {-4400, 2900, -9100}},
    {90, 1, 1, {2600, 2900, -9370}},
};
constexpr float kKeySpotCutoff = 50.0f;  // degrees
constexpr float kKeySpotExponent = 5.0f;

}  // namespace

void ApplyFixedGLState() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glShadeModel(GL_SMOOTH);
    glFrontFace(GL_CW);
    glPolygonMode(GL_FRONT, GL_FILL);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    glEnable(GL_LIGHTING);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

int BuildFloorGrid(CMeshPart* part) {
    if (!part) return 1;
    const GLuint list = glGenLists(1);
    std::vector<float> vertices;
    std::vector<float> normals;
    std::vector<std::uint32_t> quads;
    vertices.reserve(3 * kGridSide * kGridSide);
    for (int r = 0; r < kGridSide; ++r) {
        for (int c = 0; c < kGridSide; ++c) {
            vertices.insert(vertices.end(), {kGridStep * c - kGridHalfSpan, kGridHeight,
                                             kGridHalfSpan - kGridStep * r});
            normals.insert(normals.end(), {0.0f, 1.0f, 0.0f});
        }
    }
    for (int r = 0; r < kGridCells; ++r) {
        for (int c = 0; c < kGridCells; ++c) {
            const std::uint32_t i = kGridSide * r + c;
            // Clockwise seen from above, the program's front-face winding.
            quads.insert(quads.end(), {i + kGridSide, i + kGridSide + 1, i + 1, i});
        }
    }
    const float white[3] = {1.0f, 1.0f, 1.0f};
    part->SetTextureList(0);
    part->SetHasFaceNormals(0);
    part->SetHasVertexNormals(1);
    part->SetTextured(0);
    part->SetHasFaceColors(0);
    part->SetHasVertexColors(0);
    part->SetQuadCount(kGridCells * kGridCells);
    part->SetVertexCount(kGridSide * kGridSide);
    part->SetColor(white);
    part->SetQuads(quads.data());
    part->SetVertices(vertices.data());
    part->SetNormals(normals.data());
    part->Compile(list);
    part->SetDisplayList(list);
    return 0;
}

bool CreateFontDisplayLists() {
    const GLuint base = glGenLists(kFontListCount);
    if (base == 0) return false;
    FontListBase = base;
    return ptext::UseFontBitmaps(0, kFontGlyphCount, base) == ptext::Result::Ok;
}

std::unique_ptr<CLightObject> CreateAmbientOnlyLight() {
    const LightSpec& s = kSimpleLight;
    auto light = std::make_unique<CLightObject>(GL_LIGHT7, s.hue, s.saturation, s.value);
    light->Apply();
    light->SetPosition(s.where);
    SimpleLight = light.get();
    return light;
}

ClubLights CreateClubLights() {
    ClubLights lights;
    lights.main = std::make_unique<CLightObject>(GL_LIGHT6, 0.0f, 0.0f, MainLightLevel);
    lights.main->Apply();
    lights.main->SetPosition(kMainLightDirection);
    MainLight = lights.main.get();
    for (int i = 0; i < kSpotLightCount; ++i) {
        const LightSpec& s = kSpotSpecs[i];
        auto& spot = lights.spots[i];
        spot = std::make_unique<CSpotLightObject>(s.where[0], s.where[1], s.where[2], GL_LIGHT0 + i,
                                                  s.hue, s.saturation, s.value);
        spot->Apply();
        if (i == 0) {
            spot->SetCutoff(kKeySpotCutoff);
            spot->SetExponent(kKeySpotExponent);
        }
        SpotLights[i] = spot.get();
    }
    return lights;
}
