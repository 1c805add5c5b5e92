// The generated club, props and textures, loaded with the project's loader and checked
// against their catalogue records and against the floor plan the placements need.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "model/gif_decoder.h"
#include "model/model_object.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t WordAt(const Bytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// The faces of each mesh-part chunk as the file stores them, read with nothing but the
// format's table.
std::vector<std::vector<std::uint32_t>> FileFaces(const Bytes& b) {
    std::vector<std::vector<std::uint32_t>> parts;
    for (std::size_t at = 0; at + 8 <= b.size();) {
        const std::uint32_t tag = WordAt(b, at), length = WordAt(b, at + 4);
        if (tag == 0) break;
        if (tag == 1) {
            const std::uint32_t v = WordAt(b, at + 8), f = WordAt(b, at + 12);
            std::vector<std::uint32_t> faces;
            for (std::uint32_t i = 0; i < 4 * f; ++i) faces.push_back(WordAt(b, at + 48 + 12 * v + 4 * i));
            parts.push_back(faces);
        }
        at += length;
    }
    return parts;
}

struct Vec {
    double x, y, z;
};
Vec Sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec VertexOf(const CMeshPart* part, std::uint32_t i) {
    float v[3];
    part->GetBaseVertex(v, static_cast<std::int32_t>(i));
    return {v[0], v[1], v[2]};
}

// Club frame to world: turned 180 degrees about y, moved by (-8000, -975, 11000).
Vec ClubToWorld(Vec p) { return {-p.x - 8000, p.y - 975, 11000 - p.z}; }

// Signed volume enclosed by the part's faces in the file's winding (the reverse of the
// drawn one): positive when the faces wind outward.
double FileWindingVolume(const CMeshPart* part) {
    double volume = 0;
    const std::uint32_t* q = part->GetQuads();
    for (std::uint32_t f = 0; f < part->GetQuadCount(); ++f, q += 4) {
        // Drawn (d, c, b, a) is the file's (a, b, c, d): fan triangles with the order reversed.
        for (int k = 1; k + 1 < 4; ++k) {
            const Vec a = VertexOf(part, q[0]), b = VertexOf(part, q[k]), c = VertexOf(part, q[k + 1]);
            volume -= Dot(a, Cross(b, c)) / 6;
        }
    }
    return volume;
}

struct ContentCase {
    const char* name;
    const ModelRecord* record;
};
std::vector<ContentCase> AllModels() {
    std::vector<ContentCase> cases = {{"Club", &ClubRecord}};
    for (const ModelRecord& r : PropRecords) cases.push_back({r.name, &r});
    return cases;
}

class GeneratedModelTest : public GlFixture, public ::testing::WithParamInterface<ContentCase> {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        const ModelRecord& r = *GetParam().record;
        m_path = std::filesystem::path("Models") / (std::string(r.name) + ".dat");
        ASSERT_EQ(m_model.Load(m_path.c_str(), r, 0), kLoadOk) << m_path;
    }
    std::filesystem::path m_path;
    CModelObject m_model;
};

TEST_P(GeneratedModelTest, LoadsWithItsRecordsPartsFlagsAndReversedFaces) {
    const ModelRecord& r = *GetParam().record;
    ASSERT_EQ(m_model.GetPartCount(), static_cast<std::int32_t>(r.partCount));
    EXPECT_EQ(m_model.GetNodeCount(), m_model.GetPartCount());  // no joints in a prop
    EXPECT_EQ(m_model.GetType(), static_cast<std::int32_t>(r.type));
    const auto fileFaces = FileFaces(ReadAll(m_path));
    ASSERT_EQ(fileFaces.size(), r.partCount);
    for (int p = 0; p < m_model.GetPartCount(); ++p) {
        SCOPED_TRACE("part " + std::to_string(p));
        const CMeshPart* part = m_model.GetPart(p);
        const ModelPartEntry& e = r.parts[p];
        EXPECT_EQ(part->IsShiny(), e.flags[kEntryShiny] != 0);
        EXPECT_EQ(part->IsWood(), e.flags[kEntryWood] != 0);
        EXPECT_EQ(part->IsLuminous(), e.flags[kEntryLuminous] != 0);
        EXPECT_EQ(part->IsReflective(), e.flags[kEntryReflective] != 0);
        EXPECT_EQ(part->IsBumpMapped(), e.flags[kEntryBumpMapped] != 0);
        EXPECT_EQ(part->IsIncomplete(), 0);
        const std::vector<std::uint32_t>& faces = fileFaces[p];
        ASSERT_EQ(faces.size(), 4u * part->GetQuadCount());
        const std::uint32_t* q = part->GetQuads();
        for (std::size_t f = 0; f < faces.size(); f += 4) {
            const std::uint32_t* in = &faces[f];
            const std::vector<std::uint32_t> expected =
                in[2] == in[3] ? std::vector<std::uint32_t>{in[2], in[1], in[0], in[0]}
                               : std::vector<std::uint32_t>{in[3], in[2], in[1], in[0]};
            ASSERT_EQ(std::vector<std::uint32_t>(q + f, q + f + 4), expected) << "face " << f / 4;
        }
    }
}

// Every flat face's stored normal agrees with its winding: each face is seen from its front.
TEST_P(GeneratedModelTest, NormalsPointToTheSideTheFacesWindToward) {
    for (int p = 0; p < m_model.GetPartCount(); ++p) {
        const CMeshPart* part = m_model.GetPart(p);
        const std::uint32_t* q = part->GetQuads();
        int wrong = 0;
        for (std::uint32_t f = 0; f < part->GetQuadCount(); ++f, q += 4) {
            // Drawn order reversed back to the file's: a = q3, b = q2, c = q1.
            const Vec a = VertexOf(part, q[3]), b = VertexOf(part, q[2]), c = VertexOf(part, q[1]);
            const Vec n = Cross(Sub(b, a), Sub(c, a));
            float stored[3];
            part->GetNormal(stored, static_cast<std::int32_t>(q[3]));
            if (Dot(n, {stored[0], stored[1], stored[2]}) < 0) ++wrong;
        }
        EXPECT_EQ(wrong, 0) << "part " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, GeneratedModelTest, ::testing::ValuesIn(AllModels()), CaseName());

class GeneratedPropTest : public GeneratedModelTest {};
TEST_P(GeneratedPropTest, ClosedPartsWindOutward) {
    for (int p = 0; p < m_model.GetPartCount(); ++p) {
        EXPECT_GT(FileWindingVolume(m_model.GetPart(p)), 0) << "part " << p;
    }
}
std::vector<ContentCase> Props() {
    std::vector<ContentCase> cases = AllModels();
    cases.erase(cases.begin());
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Props, GeneratedPropTest, ::testing::ValuesIn(Props()), CaseName());

// The club, in world coordinates, for plan checks.
class ClubPlanTest : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        ASSERT_EQ(m_club.Load("Models/Club.dat", ClubRecord, 0), kLoadOk);
    }
    // Height of the highest upward floor face of parts 0 and 5 over (x, z), or NaN.
    double FloorHeightAt(double x, double z) {
        double best = std::nan("");
        for (int p : {0, 5}) {
            const CMeshPart* part = m_club.GetPart(p);
            const std::uint32_t* q = part->GetQuads();
            for (std::uint32_t f = 0; f < part->GetQuadCount(); ++f, q += 4) {
                const std::uint32_t corners[4] = {q[0], q[1], q[2], q[3]};
                const int n = q[2] == q[3] || q[3] == q[0] ? 3 : 4;
                Vec w[4];
                for (int k = 0; k < n; ++k) w[k] = ClubToWorld(VertexOf(part, corners[k]));
                if (std::fabs(w[0].y - w[1].y) > 1 || std::fabs(w[0].y - w[2].y) > 1) continue;
                bool inside = false;
                for (int i = 0, j = n - 1; i < n; j = i++) {
                    if ((w[i].z > z) != (w[j].z > z) &&
                        x < w[i].x + (z - w[i].z) * (w[j].x - w[i].x) / (w[j].z - w[i].z)) {
                        inside = !inside;
                    }
                }
                if (inside && !(best >= w[0].y)) best = w[0].y;
            }
        }
        return best;
    }
    CModelObject m_club;
};

TEST_F(ClubPlanTest, EveryFloorStandingPropIsOverAFloorAtItsHeight) {
    for (const ModelRecord& r : PropRecords) {
        if (r.type == kTypeSpeaker || r.type == kTypeSpotLight) continue;  // they hang
        for (int i = 0; i < r.instanceCount; ++i) {
            const float* at = r.positions[i];
            EXPECT_NEAR(FloorHeightAt(at[0], at[2]), at[1], 1.0) << r.name << " " << i;
        }
    }
    EXPECT_NEAR(FloorHeightAt(0, 0), 20, 1.0);  // the dancer's floor
}

TEST_F(ClubPlanTest, CeilingLowerFloorAndShadowWallLieOnTheirPlanes) {
    struct Plane {
        int part;
        double a, b, c, d;  // a x + b y + c z + d = 0 in world coordinates
    };
    const Plane planes[] = {{1, 0, 1, 0, -2975},
                            {5, 0, 1, 0, 975},
                            {6, -780000, -2872600, 10840000, 61803015000.0}};
    for (const Plane& plane : planes) {
        const CMeshPart* part = m_club.GetPart(plane.part);
        const double length = std::sqrt(plane.a * plane.a + plane.b * plane.b + plane.c * plane.c);
        double worst = 0;
        for (std::uint32_t v = 0; v < part->GetVertexCount(); ++v) {
            const Vec w = ClubToWorld(VertexOf(part, v));
            worst = std::max(worst, std::fabs(plane.a * w.x + plane.b * w.y + plane.c * w.z + plane.d) / length);
        }
        EXPECT_LT(worst, 1.0) << "part " << plane.part;
    }
    EXPECT_TRUE(m_club.GetPart(5)->IsTextured());  // the carpet's coordinates are in the file
    EXPECT_FALSE(m_club.GetPart(2)->IsTextured());  // walls do not inherit the ceiling's texture
}

// The cameras frame the dancer from the +z side with her head near the top of the view, so
// anything hanging above the dance floor (the mirror ball once did) sits on her head.
TEST_F(ClubPlanTest, NothingHangsAboveTheDanceFloor) {
    constexpr double kDanceFloorHalf = 2400;
    constexpr double kBelowCeiling = 2900;  // the ceiling itself lies at 2975
    constexpr double kHerHeadTop = 2000;
    for (int p = 0; p < m_club.GetPartCount(); ++p) {
        const CMeshPart* part = m_club.GetPart(p);
        int over = 0;
        for (std::uint32_t v = 0; v < part->GetVertexCount(); ++v) {
            const Vec w = ClubToWorld(VertexOf(part, v));
            over += std::fabs(w.x) < kDanceFloorHalf && std::fabs(w.z) < kDanceFloorHalf &&
                    w.y > kHerHeadTop && w.y < kBelowCeiling;
        }
        EXPECT_EQ(over, 0) << "part " << p;
    }
}

TEST(GeneratedPropShapeTest, HangingAndStandingPropsSitWhereTheirOriginsSay) {
    auto context = GlContext::Create();
    ASSERT_NE(context, nullptr);
    for (const ModelRecord& r : PropRecords) {
        CModelObject model;
        ASSERT_EQ(model.Load(("Models/" + std::string(r.name) + ".dat").c_str(), r, 0), kLoadOk);
        double low = 1e9, high = -1e9, lowOfLens = 1e9, lowOfHousing = 1e9;
        double cabinetLow = 1e9, cabinetHigh = -1e9;  // below the speaker's rigging
        for (int p = 0; p < model.GetPartCount(); ++p) {
            const CMeshPart* part = model.GetPart(p);
            for (std::uint32_t v = 0; v < part->GetVertexCount(); ++v) {
                const double y = VertexOf(part, v).y;
                low = std::min(low, y);
                high = std::max(high, y);
                double& partLow = p == 1 ? lowOfLens : lowOfHousing;
                partLow = std::min(partLow, y);
                if (y < -300) {
                    cabinetLow = std::min(cabinetLow, y);
                    cabinetHigh = std::max(cabinetHigh, y);
                }
            }
        }
        if (r.type == kTypeSpeaker) {
            EXPECT_NEAR((cabinetLow + cabinetHigh) / 2, -1000, 50) << "the sound comes from here";
            EXPECT_NEAR(high, 0, 1);
        } else if (r.type == kTypeSpotLight) {
            EXPECT_LE(high, 25) << "stays under the ceiling";
            EXPECT_LT(lowOfLens, lowOfHousing) << "the lens looks down";
            // The ray tracer's spot shines from 200 down the fixture's axis: in front of the
            // lens, not inside the housing, which would stop every shadow ray toward it.
            EXPECT_GT(low, -200) << "the light would sit inside the fixture";
        } else {
            EXPECT_NEAR(low, 0, 1) << r.name << " stands on its origin";
        }
    }
}

TEST(GeneratedTextureTest, PowerOfTwoImagesWithoutExtensionBlocks) {
    for (const char* name : {"ceiling.gif", "carpet.gif", "Heart.gif", "frekles.gif"}) {
        const std::string path = std::string("Models/") + name;
        std::int32_t w = 0, h = 0;
        std::uint8_t palette[kGifPaletteBytes];
        ASSERT_EQ(GifDecode(path.c_str(), nullptr, palette, &w, &h), 1) << name;
        EXPECT_TRUE(w == h && (w == 64 || w == 128)) << name;
        std::vector<std::uint8_t> indices(static_cast<std::size_t>(w) * h, 255);
        ASSERT_EQ(GifDecode(path.c_str(), indices.data(), palette, &w, &h), 1) << name;
        EXPECT_GT(std::set<std::uint8_t>(indices.begin(), indices.end()).size(), 1u) << name;
        const Bytes file = ReadAll(path);
        ASSERT_GT(file.size(), 13u + kGifPaletteBytes);
        EXPECT_EQ(file[13 + kGifPaletteBytes], 0x2C) << name;  // the image follows the palette
    }
}

TEST(GeneratorTest, WritesTheSameBytesEveryRun) {
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / ("vm-content-" + std::to_string(getpid()));
    for (const char* run : {"a", "b"}) {
        const std::string command = std::string(MAKE_CONTENT) + " " + (base / run).string();
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    int files = 0;
    for (const auto& entry : fs::directory_iterator(base / "a" / "Models")) {
        const fs::path other = base / "b" / "Models" / entry.path().filename();
        EXPECT_EQ(ReadAll(entry.path()), ReadAll(other)) << entry.path().filename();
        EXPECT_EQ(ReadAll(entry.path()), ReadAll(fs::path("Models") / entry.path().filename()))
            << "the build's copy differs: " << entry.path().filename();
        ++files;
    }
    EXPECT_GE(files, 14);
    fs::remove_all(base);
}

}  // namespace
