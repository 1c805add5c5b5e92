#include <gif_lib.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "model/model_object.h"
#include "tests/model/model_bytes.h"
#include "tests/model/temp_dir.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

// A record of a given type with plain part entries (no flags, "none").
struct TestRecord {
    std::vector<ModelPartEntry> parts;
    ModelRecord record{};

    TestRecord(std::uint32_t type, std::size_t partCount)
        : parts(partCount, ModelPartEntry{{0, 0, 0, 0, 0, 0, 0, 0}, "none"}) {
        record.name = "Test";
        record.type = type;
        record.partCount = parts.size();
        record.parts = parts.data();
    }
};

// Writes a 2 x 2 GIF with giflib, an encoder independent of ours.
void WriteGif(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    ASSERT_NE(gif, nullptr);
    GifColorType colours[2] = {{255, 0, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(2, colours);
    EGifPutScreenDesc(gif, 2, 2, 1, 0, map);
    EGifPutImageDesc(gif, 0, 0, 2, 2, false, nullptr);
    GifPixelType rows[2][2] = {{0, 1}, {1, 0}};
    for (auto& row : rows) EGifPutLine(gif, row, 2);
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
}

class LoaderTest : public GlFixture {
protected:
    int Load(const ModelBytes& file, const ModelRecord& record, int noTextures = 0) {
        return m_model.LoadBytes(file.bytes, record, noTextures);
    }
    std::vector<float> Vertex(const CMeshPart* part, int i) {
        float v[3];
        part->GetBaseVertex(v, i);
        return {v[0], v[1], v[2]};
    }
    std::vector<float> Colour(const CMeshPart* part, int i) {
        float c[4];
        part->GetVertexColor(c, i);
        return {c[0], c[1], c[2], c[3]};
    }

    ScopedTempDir m_dir;
    CModelObject m_model;
};

TEST_F(LoaderTest, EndChunkAloneIsAnEmptyModelOfTheRecordsType) {
    const TestRecord r(kTypeTable4, 10);
    // Written out by hand: tag 0, length 8.
    const ModelBytes file{{0, 0, 0, 0, 0, 0, 0, 8}};
    ASSERT_EQ(Load(file, r.record), kLoadOk);
    EXPECT_EQ(m_model.GetNodeCount(), 0);
    EXPECT_EQ(m_model.GetPartCount(), 0);
    EXPECT_EQ(m_model.GetType(), kTypeTable4);
}

// A part with no vertices and no faces is a part of the model, not a broken file; it draws
// nothing, and the parts after it load as usual.
TEST_F(LoaderTest, AnEmptyPartLoadsAndDrawsNothing) {
    const TestRecord r(kTypeStool, 2);
    ModelBytes empty;
    empty.Words({0, 0, 1, 1, 1, 1, 1}).Floats({0.2f, 0.4f, 0.6f});  // V 0, F 0, every flag set
    ModelBytes file;
    file.Chunk(1, empty).Append(Part(Triangle())).End();
    ASSERT_EQ(Load(file, r.record), kLoadOk);
    ASSERT_EQ(m_model.GetPartCount(), 2);
    EXPECT_EQ(m_model.GetPart(0)->GetVertexCount(), 0u);
    EXPECT_EQ(m_model.GetPart(0)->GetQuadCount(), 0u);
    EXPECT_EQ(m_model.GetPart(1)->GetVertexCount(), 3u);
    m_model.Draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LoaderTest, ReadsATriangleSpelledOutByteByByte) {
    const TestRecord r(kTypeStool, 2);
    // One vertex-coloured triangle: V 3, F 1, only vertex colours, colour (1, 0.5, 0).
    const ModelBytes file{{
        0, 0, 0, 1, 0, 0, 0, 116,                                     // tag 1, length 116
        0, 0, 0, 3, 0, 0, 0, 1,                                       // V, F
        0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   // presence words
        0x3F, 0x80, 0, 0, 0x3F, 0, 0, 0, 0, 0, 0, 0,                  // colour
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                           // (0, 0, 0)
        0x42, 0xC8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                     // (100, 0, 0)
        0, 0, 0, 0, 0x42, 0xC8, 0, 0, 0xC0, 0, 0, 0,                  // (0, 100, -2)
        0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 2,               // face (0, 1, 2, 2)
        0x3F, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                     // vertex colours
        0, 0, 0, 0, 0x3F, 0x80, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0x3F, 0x80, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 8}};                                     // end
    ASSERT_EQ(Load(file, r.record), kLoadOk);
    ASSERT_EQ(m_model.GetPartCount(), 1);
    const CMeshPart* part = m_model.GetPart(0);
    EXPECT_EQ(Vertex(part, 2), (std::vector<float>{0, 100, -2}));
    EXPECT_EQ(Colour(part, 1), (std::vector<float>{0, 1, 0, 1}));
    const float* colour = part->GetColor();
    EXPECT_EQ(colour[1], 0.5f);
    EXPECT_EQ(m_model.GetFaceCount(), 1);
    EXPECT_EQ(m_model.GetVertexCount(), 3);
}

TEST_F(LoaderTest, ReversesTrianglesAndQuads) {
    const TestRecord r(kTypeStool, 1);
    PartSpec p;
    p.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 0, 0, 3, 0, 0, 3, 1, 0};
    p.faces = {4, 5, 6, 6, 0, 1, 2, 3};
    p.vertexColors.assign(21, 0.5f);
    ASSERT_EQ(Load(ModelBytes{}.Append(Part(p)).End(), r.record), kLoadOk);
    const std::uint32_t* q = m_model.GetPart(0)->GetQuads();
    EXPECT_EQ(std::vector<std::uint32_t>(q, q + 8),
              (std::vector<std::uint32_t>{6, 5, 4, 4, 3, 2, 1, 0}));
}

TEST_F(LoaderTest, SharedVertexOfTwoFaceColoursIsCopiedForTheSecondFace) {
    const TestRecord r(kTypeStool, 1);
    PartSpec p;
    p.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, -1, 0, 0, 0, -1, 0};
    p.faces = {0, 1, 2, 2, 3, 0, 4, 4};  // vertex 0 shared
    p.faceColors = {1, 0, 0, 0, 0, 1};
    p.faceNormals = {0, 0, 1, 0, 0, -1};
    ASSERT_EQ(Load(ModelBytes{}.Append(Part(p)).End(), r.record), kLoadOk);
    const CMeshPart* part = m_model.GetPart(0);
    ASSERT_EQ(part->GetVertexCount(), 6u);
    const std::uint32_t* q = part->GetQuads();
    // The second face, (4, 0, 3, 3) after reversal, refers to the copy of vertex 0.
    EXPECT_EQ(std::vector<std::uint32_t>(q + 4, q + 8),
              (std::vector<std::uint32_t>{4, 5, 3, 3}));
    EXPECT_EQ(Vertex(part, 5), Vertex(part, 0));
    for (int v : {3, 4, 5}) EXPECT_EQ(Colour(part, v), (std::vector<float>{0, 0, 1, 1})) << v;
    for (int v : {0, 1, 2}) EXPECT_EQ(Colour(part, v), (std::vector<float>{1, 0, 0, 1})) << v;
    // Face normals spread to the corners; the later face wins on the shared vertex.
    float n[3];
    part->GetNormal(n, 1);
    EXPECT_EQ(n[2], 1.0f);
    part->GetNormal(n, 5);
    EXPECT_EQ(n[2], -1.0f);
    EXPECT_EQ(m_model.GetVertexCount(), 6);
}

TEST_F(LoaderTest, RepeatedCornerOfATriangleGetsItsOwnCopy) {
    const TestRecord r(kTypeStool, 1);
    PartSpec p;
    p.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, -1, 0, 0};
    p.faces = {1, 2, 0, 0, 0, 2, 3, 3};  // reversed: (0, 2, 1, 1) and (3, 2, 0, 0)
    p.faceColors = {1, 0, 0, 0, 0, 1};
    ASSERT_EQ(Load(ModelBytes{}.Append(Part(p)).End(), r.record), kLoadOk);
    const std::uint32_t* q = m_model.GetPart(0)->GetQuads();
    EXPECT_EQ(std::vector<std::uint32_t>(q + 4, q + 8),
              (std::vector<std::uint32_t>{3, 4, 5, 6}));
}

TEST_F(LoaderTest, UnknownChunkIsSkippedByItsLength) {
    const TestRecord r(kTypeStool, 1);
    ModelBytes body;
    body.Words({3, 3, 3});  // would read as push chunks if the skip were short
    const ModelBytes file = ModelBytes{}.Chunk(9, body).Pop().End();
    ASSERT_EQ(file.bytes.size(), 20u + 8u + 8u);
    ASSERT_EQ(Load(file, r.record), kLoadOk);
    ASSERT_EQ(m_model.GetNodeCount(), 1);
    EXPECT_EQ(m_model.GetNode(0).type, kNodePopMatrix);
}

TEST_F(LoaderTest, NodeLimitEndsTheLoadWithSuccess) {
    const TestRecord r(kTypeStool, 1);
    ModelBytes file;
    for (int i = 0; i < 250; ++i) file.Push();
    file.Words({0xDEAD, 1});  // never read: the limit ends the file first
    ASSERT_EQ(Load(file, r.record), kLoadOk);
    EXPECT_EQ(m_model.GetNodeCount(), kMaxNodes);
}

TEST_F(LoaderTest, JointsAndPartsAreIndexedByNode) {
    const TestRecord r(kTypeStool, 2);
    ModelBytes joint;
    for (int i = 0; i < 16; ++i) joint.Float(i == 0 || i == 5 || i == 10 || i == 15 ? 1.0f : 0);
    const ModelBytes file = ModelBytes{}
                                .Push()
                                .Chunk(4, joint)
                                .Append(Part(Triangle()))
                                .Pop()
                                .Chunk(4, joint)
                                .Append(Part(Triangle()))
                                .End();
    ASSERT_EQ(Load(file, r.record), kLoadOk);
    EXPECT_EQ(m_model.GetNodeCount(), 6);
    EXPECT_EQ(m_model.GetJointCount(), 2);
    EXPECT_EQ(m_model.GetJointNode(1), 4);
    EXPECT_EQ(m_model.GetPartNode(0), 2);
    EXPECT_EQ(m_model.GetPartNode(1), 5);
    EXPECT_EQ(m_model.GetNode(1).transform->restMatrix[15], 1.0f);
}

TEST_F(LoaderTest, ClubCeilingTakesCoordinatesFromItsPlanAndASmoothTexture) {
    WriteGif(m_dir.Path() / "Models" / "ceiling.gif");
    PartSpec ceiling = Triangle();
    ceiling.positions = {15000, 3950, 0, 0, 3950, 30000, -7500, 3950, 1500};
    ceiling.texCoords = {9, 9, 9, 9, 9, 9};  // replaced whatever they are
    const ModelBytes file =
        ModelBytes{}.Append(Part(Triangle())).Append(Part(ceiling)).End();
    ASSERT_EQ(Load(file, ClubRecord), kLoadOk);
    const CMeshPart* part = m_model.GetPart(1);
    ASSERT_TRUE(part->IsTextured());
    const float* uv = part->GetTexCoords();
    EXPECT_EQ(std::vector<float>(uv, uv + 6), (std::vector<float>{1, 0, 0, 2, -0.5f, 0.1f}));
    ASSERT_NE(part->GetTextureList(), 0u);
    EXPECT_EQ(part->GetDisplayList(), 0u);  // follows a loaded texture: drawn directly
    EXPECT_NE(m_model.GetPart(0)->GetDisplayList(), 0u);
    glCallList(part->GetTextureList());
    GLint wrap = 0, filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(wrap, GL_REPEAT);
    EXPECT_EQ(filter, GL_LINEAR);
}

TEST_F(LoaderTest, LaterUntexturedPartsInheritTheLastTexture) {
    WriteGif(m_dir.Path() / "Models" / "ceiling.gif");
    PartSpec withUv = Triangle();
    withUv.texCoords = {0, 0, 1, 0, 0, 1};
    // Part 1 loads ceiling.gif, part 2 ("none", with coordinates) reuses it, part 3 has none.
    const ModelBytes file = ModelBytes{}
                                .Append(Part(Triangle()))
                                .Append(Part(withUv))
                                .Append(Part(withUv))
                                .Append(Part(Triangle()))
                                .End();
    ASSERT_EQ(Load(file, ClubRecord), kLoadOk);
    const std::uint32_t texture = m_model.GetPart(1)->GetTextureList();
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(m_model.GetPart(2)->GetTextureList(), texture);
    EXPECT_EQ(m_model.GetPart(3)->GetTextureList(), 0u);
    EXPECT_EQ(m_model.GetPart(3)->GetDisplayList(), 0u);  // still after a loaded texture
}

TEST_F(LoaderTest, MissingTextureLeavesThePartUntexturedAndCompiled) {
    PartSpec withUv = Triangle();
    withUv.texCoords = {0, 0, 1, 0, 0, 1};
    const ModelBytes file = ModelBytes{}.Append(Part(Triangle())).Append(Part(withUv)).End();
    ASSERT_EQ(Load(file, ClubRecord), kLoadOk);
    EXPECT_FALSE(m_model.GetPart(1)->IsTextured());
    EXPECT_EQ(m_model.GetPart(1)->GetTextureList(), 0u);
    EXPECT_NE(m_model.GetPart(1)->GetDisplayList(), 0u);
}

TEST_F(LoaderTest, NoTexturesMarksEveryPartNoColourAndKeepsCoordinates) {
    WriteGif(m_dir.Path() / "Models" / "carpet.gif");
    PartSpec withUv = Triangle();
    withUv.texCoords = {0, 0, 1, 0, 0, 1};
    ModelBytes file;
    for (int i = 0; i < 6; ++i) file.Append(Part(withUv));
    ASSERT_EQ(Load(file.End(), ClubRecord, 1), kLoadOk);
    for (int p = 0; p < 6; ++p) {
        const CMeshPart* part = m_model.GetPart(p);
        EXPECT_TRUE(part->HasNoColor()) << p;
        EXPECT_EQ(part->GetTextureList(), 0u) << p;
        EXPECT_TRUE(part->IsTextured()) << p;
        EXPECT_NE(part->GetTexCoords(), nullptr) << p;
        EXPECT_EQ(part->GetColors(), nullptr) << p;
    }
}

TEST_F(LoaderTest, SpotLightConeAndLaterPartsTakeTheCallersColour) {
    const TestRecord r(kTypeSpotLight, 3);
    const ModelBytes file =
        ModelBytes{}.Append(Part(Triangle())).Append(Part(Triangle())).Append(Part(Triangle())).End();
    ASSERT_EQ(Load(file, r.record), kLoadOk);
    EXPECT_FALSE(m_model.GetPart(0)->HasNoColor());
    EXPECT_TRUE(m_model.GetPart(1)->HasNoColor());
    EXPECT_TRUE(m_model.GetPart(2)->HasNoColor());
}

TEST_F(LoaderTest, CatalogueFlagsReachThePart) {
    TestRecord r(kTypeMirelB, 2);
    r.parts[0] = {{1, 1, 1, 1, 1, 1, 1, 1}, "none"};
    const ModelBytes file = ModelBytes{}.Append(Part(Triangle())).Append(Part(Triangle())).End();
    ASSERT_EQ(Load(file, r.record), kLoadOk);
    const CMeshPart* all = m_model.GetPart(0);
    EXPECT_TRUE(all->IsShiny() && all->IsWood() && all->IsDeforming() && all->IsTranslucent() &&
                all->IsLuminous() && all->IsToon() && all->IsReflective() &&
                all->IsBumpMapped());
    EXPECT_EQ(all->GetDisplayList(), 0u);  // deforming: never frozen in a list
    EXPECT_EQ(Colour(all, 0)[3], 0.7f);
    const CMeshPart* none = m_model.GetPart(1);
    EXPECT_FALSE(none->IsShiny() || none->IsWood() || none->IsDeforming() ||
                 none->IsTranslucent() || none->IsLuminous() || none->IsToon() ||
                 none->IsReflective() || none->IsBumpMapped());
    EXPECT_NE(none->GetDisplayList(), 0u);
    EXPECT_EQ(Colour(none, 0)[3], 1.0f);
}

TEST_F(LoaderTest, TranslucencyIsHonouredForMirelBOnly) {
    TestRecord r(kTypeMirel, 1);
    r.parts[0].flags[kEntryTranslucent] = 1;
    ASSERT_EQ(Load(ModelBytes{}.Append(Part(Triangle())).End(), r.record), kLoadOk);
    EXPECT_FALSE(m_model.GetPart(0)->IsTranslucent());
    EXPECT_EQ(Colour(m_model.GetPart(0), 0)[3], 1.0f);
}

// Sixteen parts, part 15 face-coloured green, as a dancer of the given type.
ModelBytes SixteenParts() {
    PartSpec faced = Triangle();
    faced.vertexColors.clear();
    faced.faceColors = {0, 1, 0};
    ModelBytes file;
    for (int i = 0; i < 15; ++i) file.Append(Part(Triangle()));
    return file.Append(Part(faced)).End();
}

struct AuburnCase {
    const char* name;
    std::uint32_t type;
    bool marker;
    float red;  // of part 15
};
const AuburnCase kAuburnCases[] = {
    {"PemsaWithMarker", kTypePemsa, true, 0.408f},
    {"PemsaWithoutMarker", kTypePemsa, false, 0.0f},
    {"OtherDancerWithMarker", kTypeOrlaq, true, 0.0f},
};
class AuburnTest : public LoaderTest, public ::testing::WithParamInterface<AuburnCase> {};
TEST_P(AuburnTest, RecoloursPart15OfPemsaOnly) {
    const AuburnCase& c = GetParam();
    if (c.marker) m_dir.Write("auburnHair");
    const TestRecord r(c.type, 16);
    ASSERT_EQ(Load(SixteenParts(), r.record), kLoadOk);
    const std::vector<float> colour = Colour(m_model.GetPart(15), 0);
    EXPECT_FLOAT_EQ(colour[0], c.red);
    EXPECT_FLOAT_EQ(colour[1], c.marker && c.type == kTypePemsa ? 0.059f : 1.0f);
}
INSTANTIATE_TEST_SUITE_P(Cases, AuburnTest, ::testing::ValuesIn(kAuburnCases), CaseName());

struct SkinCase {
    const char* name;
    std::uint32_t type;
    float position[3];
    float expected[3];
};
// Skin (1, 0.6, 0.57) lies inside every dancer's range.
const SkinCase kSkinCases[] = {
    {"Mirel", kTypeMirel, {0, 0, 0}, {1.0f, 0.6335f, 0.585f}},
    {"Ivret", kTypeIvret, {0, 0, 0}, {1.0f, 0.61375f, 0.57375f}},
    {"PemsaOutsidePatch", kTypePemsa, {0, 0, 0}, {0.97387f, 0.65762f, 0.61891f}},
    {"PemsaPatchCentre", kTypePemsa, {-48.8f, 54.1f, 0}, {0.97387f, 0.62528f, 0.62585f}},
    {"OrlaqUnchanged", kTypeOrlaq, {0, 0, 0}, {1.0f, 0.6f, 0.57f}},
};
class SkinTest : public LoaderTest, public ::testing::WithParamInterface<SkinCase> {};
TEST_P(SkinTest, RecoloursSkinVertexColours) {
    const SkinCase& c = GetParam();
    PartSpec p;
    p.positions = {c.position[0], c.position[1], c.position[2], 1, 0, 0, 0, 1, 0};
    p.faces = {0, 1, 2, 2};
    p.vertexColors = {1, 0.6f, 0.57f, 0.2f, 0.6f, 0.57f, 1, 0.6f, 0.57f};
    const TestRecord r(c.type, 1);
    ASSERT_EQ(Load(ModelBytes{}.Append(Part(p)).End(), r.record), kLoadOk);
    const std::vector<float> skin = Colour(m_model.GetPart(0), 0);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(skin[j], c.expected[j], 1e-4f) << j;
    // Red below 1 is never skin.
    EXPECT_EQ(Colour(m_model.GetPart(0), 1), (std::vector<float>{0.2f, 0.6f, 0.57f, 1}));
}
INSTANTIATE_TEST_SUITE_P(Cases, SkinTest, ::testing::ValuesIn(kSkinCases), CaseName());

TEST_F(LoaderTest, DancerStoresDeformedPartNodes) {
    const TestRecord r(kTypeOrlaq, 11);
    ModelBytes file;
    for (int p = 0; p < 11; ++p) file.Push().Append(Part(Triangle()));  // part p at node 2p + 1
    for (auto& entry : DeformPartIndex) entry = -1;
    DeformPartIndex[2] = 77;  // entries the type does not set keep their values
    ASSERT_EQ(Load(file.End(), r.record), kLoadOk);
    EXPECT_EQ(std::vector<std::int32_t>(DeformPartIndex, DeformPartIndex + 5),
              (std::vector<std::int32_t>{1, -1, 77, 19, 21}));
}

TEST(LoaderFileTest, MissingOrTooLongPathFailsWithoutTouchingTheModel) {
    ScopedTempDir dir;
    const TestRecord r(kTypeStool, 1);
    CModelObject model;
    model.SetVisible(0);
    EXPECT_EQ(model.Load("Models\\Stool.dat", r.record, 0), kLoadNoFile);
    EXPECT_EQ(model.IsVisible(), 1);
    EXPECT_EQ(model.GetType(), -1);
    dir.Write("Models/Stool.dat", ModelBytes{}.End().String());
    EXPECT_EQ(model.Load("Models\\Stool.dat", r.record, 0), kLoadOk);  // backslash works
    const std::string longName = "Models/" + std::string(260, 'x');
    EXPECT_EQ(model.Load(longName.c_str(), r.record, 0), kLoadNoFile);
}

// A run folder deep in a home directory: paths far past 255 characters load, up to the
// platform's limit.
TEST(LoaderFileTest, LongPathsLoadUpToThePlatformLimit) {
    ScopedTempDir dir;
    const TestRecord r(kTypeStool, 1);
    std::string deep = "Models";
    for (int i = 0; i < 3; ++i) deep += "/" + std::string(120, static_cast<char>('a' + i));
    const std::string path = deep + "/Stool.dat";
    ASSERT_GT(path.size(), 255u);
    std::filesystem::create_directories(deep);
    dir.Write(path, ModelBytes{}.End().String());
    CModelObject model;
    EXPECT_EQ(model.Load(path.c_str(), r.record, 0), kLoadOk);

    std::string tooLong = ".";
    while (tooLong.size() < PATH_MAX) tooLong += "/.";
    EXPECT_EQ(model.Load((tooLong + "/" + path).c_str(), r.record, 0), kLoadNoFile);
}

// What is no file fails like a missing one, and at once: a pipe would otherwise block the load
// until someone writes to it.
TEST(LoaderFileTest, FolderPipeOrDeviceFailsLikeAMissingFile) {
    ScopedTempDir dir;
    const TestRecord r(kTypeStool, 1);
    std::filesystem::create_directories("Models/Folder.dat");
    ASSERT_EQ(mkfifo("Models/Pipe.dat", 0600), 0);
    std::filesystem::create_symlink("/dev/zero", "Models/Device.dat");
    for (const char* path : {"Models/Folder.dat", "Models/Pipe.dat", "Models/Device.dat"}) {
        CModelObject model;
        EXPECT_EQ(model.Load(path, r.record, 0), kLoadNoFile) << path;
    }
}

// Files outside the format: each must fail like a missing file and leave the model empty.
struct MalformedCase {
    const char* name;
    std::function<ModelBytes()> file;
    std::size_t recordParts = 1;
};

PartSpec With(std::function<void(PartSpec*)> change) {
    PartSpec p = Triangle();
    change(&p);
    return p;
}

ModelBytes Cut(ModelBytes file, std::size_t drop) {  // the file less its last bytes
    file.bytes.resize(file.bytes.size() - drop);
    return file;
}

ModelBytes PartHeaderOnly(std::uint32_t v, std::uint32_t f, bool normalsToo) {
    ModelBytes body;
    body.Words({v, f, 1, 1, normalsToo, normalsToo, 1}).Floats({1, 1, 1});
    body.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Words({0, 1, 2, 2});
    return ModelBytes{}.Chunk(1, body).End();
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

const MalformedCase kMalformedCases[] = {
    {"EmptyFile", [] { return ModelBytes{}; }},
    {"HeaderCut", [] { return Cut(ModelBytes{}.End(), 3); }},
    {"NoEndChunk", [] { return ModelBytes{}.Push(); }},
    {"EndsInsideAPart", [] { return Cut(ModelBytes{}.Append(Part(Triangle())), 10); }},
    {"EndsInsideAJoint", [] { return ModelBytes{}.Chunk(4, ModelBytes{}.Words({0, 0})); }},
    {"MoreVerticesThanCorners",
     [] { return ModelBytes{}.Append(Part(With([](PartSpec* p) {
                                 p->positions.resize(15, 0.0f);
                                 p->vertexColors.resize(15, 1.0f);
                             }))).End(); }},
    {"IndexNotBelowVertexCount",
     [] { return ModelBytes{}.Append(Part(With([](PartSpec* p) { p->faces[3] = 3; }))).End(); }},
    {"NoColours",
     [] { return ModelBytes{}.Append(Part(With([](PartSpec* p) { p->vertexColors.clear(); })))
              .End(); }},
    {"NoFaces",
     [] { return ModelBytes{}.Append(Part(With([](PartSpec* p) {
                                 p->positions.clear();
                                 p->faces.clear();
                                 p->vertexColors.clear();
                             }))).End(); }},
    {"MorePartsThanEntries",
     [] { return ModelBytes{}.Append(Part(Triangle())).Append(Part(Triangle())).End(); }},
    {"HugeFaceCount", [] { return PartHeaderOnly(3, 0x40000000, false); }},
    {"CountsWhoseSizeWraps", [] { return PartHeaderOnly(0xFFFFFFFC, 0xFFFFFFFF, true); }},
    {"NaNPosition",
     [] { return ModelBytes{}.Append(Part(With([](PartSpec* p) { p->positions[4] = kNaN; })))
              .End(); }},
    {"InfiniteColour",
     [] { return ModelBytes{}.Append(Part(With([](PartSpec* p) { p->vertexColors[0] = kInf; })))
              .End(); }},
    {"InfiniteJointMatrix",
     [] {
         ModelBytes m;
         for (int i = 0; i < 16; ++i) m.Float(i == 12 ? kInf : 0.0f);
         return ModelBytes{}.Chunk(4, m).End();
     }},
    {"UnknownChunkShorterThanItsHeader",
     [] { return ModelBytes{}.Words({9, 4}).Push().End(); }},
    {"UnknownChunkPastTheEnd", [] { return ModelBytes{}.Words({-5u, 4000}).End(); }},
    {"GoodPartThenBadPart",
     [] { return ModelBytes{}.Append(Part(Triangle())).Push()
              .Append(Part(With([](PartSpec* p) { p->faces[0] = 99; }))).End(); },
     2},
};

class MalformedTest : public LoaderTest, public ::testing::WithParamInterface<MalformedCase> {};
TEST_P(MalformedTest, FailsLikeAMissingFileAndLeavesNothing) {
    const MalformedCase& c = GetParam();
    const TestRecord r(kTypeStool, c.recordParts);
    const auto listsInUse = [] {
        int n = 0;
        for (GLuint id = 1; id < 64; ++id) n += glIsList(id) ? 1 : 0;
        return n;
    };
    const int before = listsInUse();
    EXPECT_EQ(Load(c.file(), r.record), kLoadNoFile);
    EXPECT_EQ(m_model.GetNodeCount(), 0);
    EXPECT_EQ(m_model.GetPartCount(), 0);
    EXPECT_EQ(m_model.GetJointCount(), 0);
    EXPECT_EQ(m_model.GetFaceCount(), 0);
    EXPECT_EQ(m_model.GetVertexCount(), 0);
    EXPECT_EQ(m_model.GetType(), -1);
    EXPECT_EQ(listsInUse(), before);
}
INSTANTIATE_TEST_SUITE_P(Cases, MalformedTest, ::testing::ValuesIn(kMalformedCases), CaseName());

TEST_F(LoaderTest, AFailedLoadAfterAGoodOneEmptiesTheModelAndFreesItsLists) {
    const TestRecord r(kTypeStool, 1);
    ASSERT_EQ(Load(ModelBytes{}.Append(Part(Triangle())).End(), r.record), kLoadOk);
    const GLuint list = m_model.GetPart(0)->GetDisplayList();
    ASSERT_TRUE(glIsList(list));
    EXPECT_EQ(Load(ModelBytes{}.Push(), r.record), kLoadNoFile);
    EXPECT_EQ(m_model.GetNodeCount(), 0);
    EXPECT_FALSE(glIsList(list));
}

}  // namespace
