#include "model/mesh_part.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <functional>
#include <vector>

#include "tests/support/case_name.h"
#include "tests/model/draw_fixture.h"

namespace {

// A square covering the whole 256 x 256 view of DrawFixture, as two vertices' worth of quads.
const float kSquare[] = {-200, -200, 0, 200, -200, 0, 200, 200, 0, -200, 200, 0};
const std::uint32_t kSquareQuad[] = {0, 1, 2, 3};
const float kSquareUv[] = {0, 0, 1, 0, 1, 1, 0, 1};
const float kBlue[] = {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1};
const float kNormals[] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};

void MakeSquare(CMeshPart* part) {
    part->SetQuadCount(1);
    part->SetVertexCount(4);
    part->SetQuads(kSquareQuad);
    part->SetVertices(kSquare);
    const float red[3] = {1, 0, 0};
    part->SetColor(red);
}

TEST(MeshPartTest, ArraysNeedTheirCountsFirst) {
    CMeshPart part;
    part.SetQuads(kSquareQuad);  // quad count 0: nothing kept
    part.SetVertexCount(4);
    part.SetVertices(kSquare);
    EXPECT_EQ(part.GetQuads(), nullptr);
    EXPECT_EQ(part.IsIncomplete(), 1);
}

TEST(MeshPartTest, OutOfRangeEntriesGiveEntryZeroOrZeros) {
    CMeshPart part;
    float v[3] = {9, 9, 9};
    part.GetBaseVertex(v, 0);  // no array yet
    EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{0, 0, 0}));
    MakeSquare(&part);
    for (int i : {-1, 4}) {
        part.GetBaseVertex(v, i);
        EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{-200, -200, 0})) << i;
    }
    part.SetVertex(1, kSquare + 6);  // deformation moves the current set only
    part.GetBaseVertex(v, 1);
    EXPECT_EQ(v[0], 200);
    EXPECT_EQ(v[1], -200);
}

// A model file need not give a deformed part normals, and the deformations write every vertex
// they find: writes outside the part's arrays must be dropped, not land past them.
TEST(MeshPartTest, DeformationWritesOutsideThePartsArraysChangeNothing) {
    CMeshPart part;
    MakeSquare(&part);  // no normals
    const float moved[3] = {7, 8, 9};
    part.SetDeformedNormal(0, moved);
    EXPECT_EQ(part.GetNormals(), nullptr);
    for (int i : {-1, 4}) part.SetVertex(i, moved);
    EXPECT_EQ(std::vector<float>(part.GetVertices(), part.GetVertices() + 12),
              std::vector<float>(std::begin(kSquare), std::end(kSquare)));

    CMeshPart empty;
    empty.SetVertex(0, moved);
    empty.SetDeformedNormal(0, moved);
    EXPECT_EQ(empty.GetVertices(), nullptr);
}

struct IncompleteCase {
    const char* name;
    std::function<void(CMeshPart*)> change;
    int incomplete;
};
const IncompleteCase kIncompleteCases[] = {
    {"Complete", [](CMeshPart*) {}, 0},
    {"TexturedWithoutCoordinates", [](CMeshPart* p) { p->SetTextured(1); }, 1},
    {"TexturedWithCoordinates",
     [](CMeshPart* p) {
         p->SetTextured(1);
         p->SetTexCoords(kSquareUv);
     },
     0},
    {"ColouredWithoutColours", [](CMeshPart* p) { p->SetHasVertexColors(1); }, 1},
    {"ColouredWithoutColoursButNoColour",
     [](CMeshPart* p) {
         p->SetHasFaceColors(1);
         p->SetNoColor(1);
     },
     0},
    {"NormalsFlagWithoutNormals", [](CMeshPart* p) { p->SetHasFaceNormals(1); }, 1},
    {"FreedArrays", [](CMeshPart* p) { p->FreeArrays(); }, 1},
};
class IncompleteTest : public ::testing::TestWithParam<IncompleteCase> {};
TEST_P(IncompleteTest, Decides) {
    CMeshPart part;
    MakeSquare(&part);
    GetParam().change(&part);
    EXPECT_EQ(part.IsIncomplete(), GetParam().incomplete);
}
INSTANTIATE_TEST_SUITE_P(Cases, IncompleteTest, ::testing::ValuesIn(kIncompleteCases),
                         CaseName());

struct ColourCase {
    const char* name;
    std::function<void(CMeshPart*)> setup;
    int displayTextures;
    bool lighting;
    std::array<std::uint8_t, 3> expected;
};
const ColourCase kColourCases[] = {
    {"UniformColour", [](CMeshPart*) {}, 1, false, {255, 0, 0}},
    {"ColourArray",
     [](CMeshPart* p) {
         p->SetHasVertexColors(1);
         p->SetColors(kBlue);
     },
     1, false, {0, 0, 255}},
    {"NoColourTakesTheCallersColour",
     [](CMeshPart* p) {
         p->SetHasVertexColors(1);
         p->SetColors(kBlue);
         p->SetNoColor(1);
     },
     1, false, {0, 255, 0}},
    {"TexturedWithTexturesOffUsesItsColours",
     [](CMeshPart* p) {
         p->SetTextured(1);
         p->SetTexCoords(kSquareUv);
         p->SetHasVertexColors(1);
         p->SetColors(kBlue);
     },
     0, false, {0, 0, 255}},
    {"TexturedWithTexturesOnIsWhite",
     [](CMeshPart* p) {
         p->SetTextured(1);
         p->SetTexCoords(kSquareUv);
     },
     1, false, {255, 255, 255}},
    {"LitWithoutLightsIsDark", [](CMeshPart*) {}, 1, true, {0, 0, 0}},
};
class ColourTest : public DrawFixture, public ::testing::WithParamInterface<ColourCase> {};
TEST_P(ColourTest, DrawsDirectlyAndFromItsList) {
    const ColourCase& c = GetParam();
    for (bool compiled : {false, true}) {
        SCOPED_TRACE(compiled ? "display list" : "direct");
        glClear(GL_COLOR_BUFFER_BIT);
        CMeshPart part;
        MakeSquare(&part);
        part.SetHasVertexNormals(1);
        part.SetNormals(kNormals);
        c.setup(&part);
        DisplayTextures = c.displayTextures;
        if (c.lighting) glEnable(GL_LIGHTING);
        const float ambientOff[4] = {0, 0, 0, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambientOff);
        if (compiled) part.Compile(glGenLists(1));
        glColor4f(0, 1, 0, 1);  // the caller's colour
        part.Draw();
        glDisable(GL_LIGHTING);
        const auto pixel = Centre();
        EXPECT_EQ(pixel[0], c.expected[0]);
        EXPECT_EQ(pixel[1], c.expected[1]);
        EXPECT_EQ(pixel[2], c.expected[2]);
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, ColourTest, ::testing::ValuesIn(kColourCases), CaseName());

TEST_F(DrawFixture, LuminousPartIgnoresLightingOnlyWhenDrawnDirectly) {
    const float ambientOff[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambientOff);
    glEnable(GL_LIGHTING);
    CMeshPart direct;
    MakeSquare(&direct);
    direct.SetLuminous(1);
    direct.Draw();
    EXPECT_EQ(Centre()[0], 255);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    glClear(GL_COLOR_BUFFER_BIT);
    CMeshPart listed;
    MakeSquare(&listed);
    listed.SetLuminous(1);
    listed.Compile(glGenLists(1));  // switching lighting is not part of the list
    glClear(GL_COLOR_BUFFER_BIT);
    listed.Draw();
    EXPECT_EQ(Centre()[0], 0);
}

TEST_F(DrawFixture, DisplayListKeepsTheVerticesItWasRecordedWith) {
    CMeshPart part;
    MakeSquare(&part);
    part.Compile(glGenLists(1));
    ASSERT_NE(part.GetDisplayList(), 0u);
    const float far[3] = {500, 500, 0};
    for (int i = 0; i < 4; ++i) part.SetVertex(i, far);  // collapses the current square
    glClear(GL_COLOR_BUFFER_BIT);
    part.Draw();
    EXPECT_EQ(Centre()[0], 255);
    CMeshPart direct;
    MakeSquare(&direct);
    for (int i = 0; i < 4; ++i) direct.SetVertex(i, far);
    glClear(GL_COLOR_BUFFER_BIT);
    direct.Draw();
    EXPECT_EQ(Centre()[0], 0);
}

TEST_F(DrawFixture, IncompletePartDrawsNothing) {
    CMeshPart part;
    MakeSquare(&part);
    part.SetHasFaceNormals(1);
    part.Draw();
    part.DrawOutline();
    EXPECT_EQ(Centre()[0], 0);
}

struct OutlineCase {
    const char* name;
    float distance;
    float fov;
    int viewportHeight;
    float width;
};
const OutlineCase kOutlineCases[] = {
    {"Reference", 6000, 30, 320, 1},
    {"HalfDistanceTallViewport", 3000, 30, 480, 2},
    {"HeightStepsInWholes", 6000, 30, 639, 1},
    {"TwiceTheHeight", 6000, 30, 640, 2},
    {"LowViewportGivesZero", 6000, 30, 319, 0},
    {"WiderFieldThinner", 6000, 60, 320, 0.46410f},
};
class OutlineWidthTest : public ::testing::TestWithParam<OutlineCase> {};
TEST_P(OutlineWidthTest, FollowsDistanceFieldOfViewAndHeight) {
    const OutlineCase& c = GetParam();
    const OutlineView view{{0, 100, c.distance + 7}, {0, 100, 7}, c.fov};
    EXPECT_NEAR(OutlineLineWidth(view, c.viewportHeight), c.width, 1e-4f);
}
INSTANTIATE_TEST_SUITE_P(Cases, OutlineWidthTest, ::testing::ValuesIn(kOutlineCases),
                         CaseName());

TEST_F(DrawFixture, OutlineOfALowViewportKeepsTheLineWidthAndRestoresState) {
    CMeshPart part;
    MakeSquare(&part);
    glLineWidth(3);
    FilledPolygons = 0;
    part.DrawOutline();  // 256 pixels high: width 0, which OpenGL would refuse
    FilledPolygons = 1;
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 3.0f);
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    GLint cull = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &cull);
    EXPECT_EQ(cull, GL_BACK);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_LINE));
}

}  // namespace
