// The tagged mesh deformations: their rules on small vertex sets placed into a generated
// dancer's parts, and on every generated dancer which vertices move while she dances.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "animation/dance_motion.h"
#include "animation/dancer_rig.h"
#include "tests/animation/dancing_dancer.h"
#include "tests/support/case_name.h"

namespace {

constexpr float kGrey[3] = {0.5f, 0.5f, 0.5f};

struct Vertex {
    float p[3];
    float rgb[3];
};
Vertex At(float x, float y, float z, const float* rgb = kGrey) {
    return {{x, y, z}, {rgb[0], rgb[1], rgb[2]}};
}

// Replaces the part's vertices by the fixture's, with normals along +z.
void UseVertices(CMeshPart* part, const std::vector<Vertex>& vertices) {
    std::vector<float> xyz, normals, rgba;
    for (const Vertex& v : vertices) {
        xyz.insert(xyz.end(), v.p, v.p + 3);
        normals.insert(normals.end(), {0, 0, 1});
        rgba.insert(rgba.end(), {v.rgb[0], v.rgb[1], v.rgb[2], 1});
    }
    part->SetVertexCount(static_cast<std::uint32_t>(vertices.size()));
    part->SetVertices(xyz.data());
    part->SetNormals(normals.data());
    part->SetColors(rgba.data());
}

void Current(const CMeshPart* part, int i, float* out) {
    for (int a = 0; a < 3; ++a) out[a] = part->GetVertices()[3 * i + a];
}
void CurrentNormal(const CMeshPart* part, int i, float* out) {
    for (int a = 0; a < 3; ++a) out[a] = part->GetNormals()[3 * i + a];
}

void ExpectNear3(const float* got, const float* want, const char* what) {
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(got[a], want[a], 1e-3f) << what << " axis " << a;
}

void ExpectAt(const CMeshPart* part, int i, float x, float y, float z, const char* what) {
    float got[3];
    const float want[3] = {x, y, z};
    Current(part, i, got);
    ExpectNear3(got, want, what);
}

class DeformRules : public DancingDancer {
  protected:
    CMeshPart* Part(int entry) { return DeformPart(*m_dancer, entry, true); }
};

TEST_F(DeformRules, BendTwistsAboveTheWaistInProportionToHeight) {
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    const float h = motion->Joint(10).restMatrix[13];
    ASSERT_GT(h, 0);
    CMeshPart* part = Part(kDeformBend);
    ASSERT_NE(part, nullptr);
    UseVertices(part, {At(50, -20, 10), At(50, 0, 10), At(50, h / 2, 10), At(50, 2 * h, 10)});
    const float angle = DegToRad(12);
    motion->BendPartMesh(angle);
    const float turnOf[4] = {0, 0, 0.5f, 1};  // below and at y = 0 nothing, full from y = h
    for (int i = 0; i < 4; ++i) {
        float base[3], turn[16], want[3], got[3];
        part->GetBaseVertex(base, i);
        Mat4RotateXYZ(turn, 0, angle * turnOf[i], 0);
        Mat4TransformPoint(base, turn, want);
        Current(part, i, got);
        ExpectNear3(got, want, "position");
        const float n[3] = {0, 0, 1};
        Mat4TransformPoint(n, turn, want);
        CurrentNormal(part, i, got);
        ExpectNear3(got, want, "normal");
    }
    motion->BendPartMesh(0);
    for (int i = 0; i < 4; ++i) {
        float base[3], got[3];
        part->GetBaseVertex(base, i);
        Current(part, i, got);
        ExpectNear3(got, base, "back at rest");
    }
}

// Mirel's sphere: centre (78.9, 129.9, -51.2), radius 72.4, shift 35; the jiggle fades in
// toward z = -116.
TEST_F(DeformRules, BounceMovesOnlyInsideTheSpheresAndMirrorsDepth) {
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    CMeshPart* part = Part(kDeformBounce);
    ASSERT_NE(part, nullptr);
    UseVertices(part, {At(78.9f, 129.9f, -81.2f),    // inside, 30 in front of the centre
                       At(-78.9f, 129.9f, -81.2f),   // the same in the mirror sphere
                       At(78.9f, 129.9f, 30.0f),     // outside both
                       At(78.9f, 129.9f, -21.2f)});  // inside, behind the centre: t = 0
    motion->BeatWave[1] = 1;
    const float twist = 0.1f;
    motion->BouncePartMesh(twist, 0);
    const float u = (-30 / (-116 + 51.2f)) * 1.5f * twist * 35;
    ExpectAt(part, 0, 78.9f - u, 129.9f, -81.2f - 0.38576514f * u, "first");
    ExpectAt(part, 1, -78.9f - u, 129.9f, -81.2f + 0.38576514f * u, "mirror");
    ExpectAt(part, 2, 78.9f, 129.9f, 30.0f, "outside");
    ExpectAt(part, 3, 78.9f, 129.9f, -21.2f, "behind the centre");
    float got[3];
    CurrentNormal(part, 0, got);
    EXPECT_NEAR(got[2], std::cos(u / 500), 1e-5f) << "normal tilts about x";

    motion->BeatWave[1] = 0;  // off the beat's swing everything is back at rest
    motion->BouncePartMesh(twist, 60);
    ExpectAt(part, 0, 78.9f, 129.9f, -81.2f, "at rest");
}

// Daxil's two spheres coincide at the origin; her second pass moves bright low vertices.
TEST_F(DeformRules, BounceInsideBothSpheresFollowsTheFirstAndDaxilShiftsBrightVertices) {
    CDanceMotion* motion = Dance(6);
    ASSERT_NE(motion, nullptr);
    CMeshPart* part = Part(kDeformBounce);
    ASSERT_NE(part, nullptr);
    const float bright[3] = {1, 1, 1};
    const float justDim[3] = {1, 1, 215 / 255.0f};
    UseVertices(part, {At(0, 40, -30),          // inside both spheres, above the bright band
                       At(0, 0, 100),           // dim, outside: untouched
                       At(0, 0, 100, bright),   // bright and low: the second pass
                       At(0, 30, 100, bright),  // bright but above 28.5
                       At(0, 0, 100, justDim)});
    motion->BeatWave[1] = 1;
    motion->BouncePartMesh(0.1f, 0);
    const float k = 0.15f;
    const float u = ((0.19143054f * 40 - 30) / -116.0f) * k * 35;
    ExpectAt(part, 0, -u, 40, -30 - 0.38576514f * u, "first sphere's rule");
    ExpectAt(part, 1, 0, 0, 100, "dim");
    ExpectAt(part, 2, -35 * 1.5f * (28.5f / 96.6f) * k, 0, 100, "bright");
    ExpectAt(part, 3, 0, 30, 100, "bright but high");
    ExpectAt(part, 4, 0, 0, 100, "one step too dim");
}

// Orlaq's skirt: the hips' rest height is -50, so vertices below y = 0 follow the thighs.
TEST_F(DeformRules, SkirtFollowsTheThighOnlyForTaggedVerticesInFrontAndBelowTheHip) {
    CDanceMotion* motion = Dance(3);
    ASSERT_NE(motion, nullptr);
    CMeshPart* part = DeformPart(*m_dancer, kDeformKind3Skirt, false);
    ASSERT_NE(part, nullptr);
    const float tag[3] = {static_cast<float>(144 / 255.0), static_cast<float>(109 / 255.0),
                          static_cast<float>(158 / 255.0)};
    const float offTag[3] = {tag[0], tag[1], std::nextafter(tag[2], 1.0f)};
    const float hip = motion->Joint(1).restMatrix[12];
    ASSERT_FLOAT_EQ(motion->Joint(1).restMatrix[13] + 50, 0);
    UseVertices(part, {At(hip, -200, -150, tag),     // in front of the first thigh
                       At(hip, -200, -150, offTag),  // the same, its tag one bit off
                       At(hip, 10, -150, tag),       // above the hip's reach
                       At(hip, -200, 150, tag),      // behind both thighs
                       At(hip, -200, -150)});
    const float lift = DegToRad(30);
    for (int j : {1, 5}) CDanceMotion::SetVector(motion->Joint(j).angles, lift, 0, 0);
    motion->SwayKind3Mesh();
    float got[3];
    Current(part, 0, got);
    EXPECT_LT(got[2], -150 - 10) << "pushed forward";
    EXPECT_GT(got[1], -200) << "lifted";
    for (int i = 1; i < 5; ++i) {
        float base[3];
        part->GetBaseVertex(base, i);
        Current(part, i, got);
        ExpectNear3(got, base, "untouched");
    }
    // Thighs hanging straight down have no direction to push in.
    for (int j : {1, 5}) CDanceMotion::SetVector(motion->Joint(j).angles, 0, 0, 0);
    motion->SwayKind3Mesh();
    ExpectAt(part, 0, hip, -200, -150, "no push");
}

TEST_F(DeformRules, UnusablePartsAndZeroHeightsLeaveTheMeshAlone) {
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    CMeshPart* part = Part(kDeformBend);
    ASSERT_NE(part, nullptr);
    const std::vector<float> before(part->GetVertices(),
                                    part->GetVertices() + 3 * part->GetVertexCount());
    auto unchanged = [&] { return std::equal(before.begin(), before.end(), part->GetVertices()); };
    const std::int32_t node = DeformPartIndex[kDeformBend];
    DeformPartIndex[kDeformBend] = -1;
    motion->BendPartMesh(1);
    EXPECT_TRUE(unchanged()) << "no entry";
    DeformPartIndex[kDeformBend] = 0;  // the root joint's node: no mesh part
    motion->BendPartMesh(1);
    EXPECT_TRUE(unchanged()) << "not a part";
    DeformPartIndex[kDeformBend] = node;
    motion->Joint(10).restMatrix[13] = 0;  // the twist would ramp over no height
    motion->BendPartMesh(1);
    EXPECT_TRUE(unchanged()) << "zero height";
}

TEST_F(DeformRules, PartWithoutNormalsIsNotWrittenPastItsArrays) {
    CDanceMotion* motion = Dance(0);
    ASSERT_NE(motion, nullptr);
    CMeshPart* part = Part(kDeformBounce);
    ASSERT_NE(part, nullptr);
    const std::uint32_t quad[4] = {0, 1, 2, 2};
    const float xyz[9] = {78.9f, 129.9f, -81.2f, 0, 0, 0, 1, 0, 0};
    const float rgba[12] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    part->FreeArrays();
    part->SetHasVertexNormals(0);
    part->SetHasFaceNormals(0);
    part->SetQuadCount(1);
    part->SetVertexCount(3);
    part->SetQuads(quad);
    part->SetVertices(xyz);
    part->SetColors(rgba);
    ASSERT_FALSE(part->IsIncomplete());
    motion->BeatWave[1] = 1;
    motion->BouncePartMesh(0.1f, 60);  // under the sanitizers an overrun would fail here
    EXPECT_EQ(part->GetVertices()[0], 78.9f);
}

// Which vertices of each generated dancer's deforming parts move while she dances.

class DeformingParts : public DancingDancer,
                       public ::testing::WithParamInterface<GeneratedDancer> {};

// Each kind's bounce sphere (centre, radius); its mirror image in x moves too.
constexpr float kSpheres[7][4] = {{78.9f, 129.9f, -51.2f, 72.4f},
                                  {78.9f, 125.9f, -51.2f, 72.4f},
                                  {78.9f, 129.9f, -51.2f, 72.4f},
                                  {75.8f, 125.6f, -45.8f, 67.6f},
                                  {79.7f, 129.7f, -55.6f, 76.0f},
                                  {91.7f, 125.9f, -49.3f, 67.6f},
                                  {0, 0, 0, 70.9f}};

bool InBounceSphere(int kind, const float* p) {
    const float* s = kSpheres[kind];
    const float first[3] = {s[0], s[1], s[2]}, mirror[3] = {-s[0], s[1], s[2]};
    return Distance3(first, p) <= s[3] + 1e-3f || Distance3(mirror, p) <= s[3] + 1e-3f;
}

int MovedCount(const CMeshPart* part, std::vector<bool>* moved) {
    int count = 0;
    moved->assign(part->GetVertexCount(), false);
    for (std::uint32_t i = 0; i < part->GetVertexCount(); ++i) {
        for (int a = 0; a < 3; ++a) {
            if (part->GetVertices()[3 * i + a] != part->GetBaseVertices()[3 * i + a]) {
                (*moved)[i] = true;
            }
        }
        count += (*moved)[i] ? 1 : 0;
    }
    return count;
}

TEST_P(DeformingParts, MoveTheVerticesTheirRuleNamesAndNoOthers) {
    const int kind = GetParam().dancer;
    std::srand(11);
    ASSERT_NE(Dance(kind), nullptr);
    const CHumanObject* dancer = m_dancer.get();
    SetStyle(kBeatStyle);  // the beat style twists and jiggles most
    std::vector<std::vector<bool>> everMoved(static_cast<std::size_t>(dancer->GetNodeCount()));
    for (int frame = 0; frame < 1500; ++frame) {
        DanceFrame(20);
        if (frame % 50 != 0) continue;
        for (std::int32_t n = 0; n < dancer->GetNodeCount(); ++n) {
            const ModelNode& node = dancer->GetNode(n);
            if (node.type != kNodeMeshPart) continue;
            const CMeshPart* part = node.part;
            ASSERT_TRUE(AllFinite(part->GetVertices(), 3 * part->GetVertexCount())) << n;
            std::vector<bool> moved;
            MovedCount(part, &moved);
            auto& ever = everMoved[static_cast<std::size_t>(n)];
            ever.resize(moved.size(), false);
            for (std::size_t i = 0; i < moved.size(); ++i) ever[i] = ever[i] || moved[i];
        }
    }
    const int bend = DeformPartIndex[kDeformBend], bounce = DeformPartIndex[kDeformBounce];
    const int skirt = kind == 3 ? DeformPartIndex[kDeformKind3Skirt]
                                : (kind == 5 ? DeformPartIndex[kDeformKind5Skirt] : -1);
    const int pendulum = kind == 4 ? DeformPartIndex[kDeformPendulum] : -1;
    for (std::int32_t n = 0; n < dancer->GetNodeCount(); ++n) {
        if (dancer->GetNode(n).type != kNodeMeshPart) continue;
        const CMeshPart* part = dancer->GetNode(n).part;
        const auto& ever = everMoved[static_cast<std::size_t>(n)];
        int movedCount = 0;
        for (std::uint32_t i = 0; i < part->GetVertexCount(); ++i) {
            if (!ever[i]) continue;
            ++movedCount;
            float p[3], c[4];
            part->GetBaseVertex(p, static_cast<std::int32_t>(i));
            part->GetVertexColor(c, static_cast<std::int32_t>(i));
            if (n == bend) {
                EXPECT_GT(p[1], 0) << "waist vertex " << i;
            } else if (n == skirt) {
                EXPECT_LT(p[1], 0) << "skirt vertex " << i;
            } else if (n == pendulum) {
                EXPECT_LT(p[1], 0) << "ponytail vertex " << i;
            } else if (n == bounce) {
                EXPECT_TRUE(InBounceSphere(kind, p) || (kind == 6 && p[1] <= 28.5f))
                    << "chest vertex " << i;
            } else {
                ADD_FAILURE() << "node " << n << " vertex " << i << " moved";
                break;
            }
        }
        if (n == bend || n == bounce || n == skirt || n == pendulum) {
            EXPECT_GT(movedCount, 0) << "node " << n << " never moved";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Generated, DeformingParts, ::testing::ValuesIn(kGeneratedDancers),
                         CaseName());

}  // namespace
