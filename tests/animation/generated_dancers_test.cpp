// The generated dancers of the run folder's Models/, loaded through the dancer factories in
// every costume the marker files choose: the structure the dance addresses, the geometry its
// formulas rely on, and a look of each costume's own.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "animation/dancer_selection.h"
#include "animation/view_options.h"
#include "model/matrix_stack.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"
#include "tests/support/model_colours.h"

namespace {

struct DancerCase {
    const char* name;
    int kind;
    int bendPart, bouncePart;  // parts the spine twist and the chest bounce deform
    std::vector<int> eyes;     // the shiny eye parts
    int texturedPart;          // -1: none
    int head;                  // the head and neck
};

const DancerCase kDancers[] = {
    {"Mirel", kTypeMirel, 9, 10, {21, 22}, -1, 12},
    {"MirelH", kTypeMirelH, 9, 10, {21, 22}, -1, 12},
    {"MirelB", kTypeMirelB, 14, 15, {26, 27}, -1, 17},
    {"Orlaq", kTypeOrlaq, 9, 10, {21, 22}, 12, 12},
    {"Ivret", kTypeIvret, 9, 10, {21, 22}, -1, 12},
    {"Pemsa", kTypePemsa, 9, 10, {22, 23}, 10, 12},
    {"Daxil", kTypeDaxil, 9, 10, {20, 21}, -1, 12},
};

// Bounce sphere centres (joint 10's frame) and radii, by kind.
const float kBust[7][4] = {{78.9f, 129.9f, -51.2f, 72.4f},
                           {78.9f, 125.9f, -51.2f, 72.4f},
                           {78.9f, 129.9f, -51.2f, 72.4f},
                           {75.8f, 125.6f, -45.8f, 67.6f},
                           {79.7f, 129.7f, -55.6f, 76.0f},
                           {91.7f, 125.9f, -49.3f, 67.6f},
                           {0, 0, 0, 70.9f}};

// A dancer as one model variant loads her (0 plain, 1 "SexyGirl", 2 "NudeGirl").
struct DancerFileCase {
    DancerCase dancer;
    int variant;
    std::string name;
};

// Every variant file there is: variant 1 loads MirelB from her plain file, variant 2 MirelH
// and MirelB.
std::vector<DancerFileCase> DancerFiles(int fromVariant) {
    const char* suffixes[] = {"", "Sx", "N"};
    std::vector<DancerFileCase> out;
    for (int variant = fromVariant; variant < 3; ++variant) {
        for (const DancerCase& d : kDancers) {
            const bool own = variant == 0 || (d.kind != kTypeMirelB &&
                                              (variant == 1 || d.kind != kTypeMirelH));
            if (own) out.push_back({d, variant, std::string(d.name) + suffixes[variant]});
        }
    }
    return out;
}

void PrintTo(const DancerFileCase& c, std::ostream* out) { *out << c.name; }

const PartTransform& Joint(const CModelObject& m, int k) {
    return *m.GetNode(m.GetJointNode(k)).transform;
}
const float* Translation(const CModelObject& m, int k) { return Joint(m, k).restMatrix + 12; }

// Model-space positions of every part's vertices, the joints posed as the dance builds them
// (current = R(angles) x rest), with the feet levelled as the leg motion levels them.
std::vector<std::vector<float>> PosedVertices(CHumanObject* dancer) {
    for (const auto& [ankle, hip, knee] : {std::array{3, 1, 2}, std::array{7, 5, 6}}) {
        PartTransform* a = dancer->GetNode(dancer->GetJointNode(ankle)).transform;
        for (int axis : {0, 2}) {
            a->angles[axis] =
                -(Joint(*dancer, hip).angles[axis] + Joint(*dancer, knee).angles[axis]);
        }
    }
    MatrixStack stack;
    std::vector<std::vector<float>> parts;
    for (int n = 0; n < dancer->GetNodeCount(); ++n) {
        const ModelNode& node = dancer->GetNode(n);
        if (node.type == kNodePushMatrix) stack.Push();
        if (node.type == kNodePopMatrix) stack.Pop();
        if (node.type == kNodeJoint) {
            float current[16];
            if (n == 0) {
                std::memcpy(current, node.transform->restMatrix, sizeof(current));
            } else {
                float r[16];
                const float* a = node.transform->angles;
                Mat4RotateXYZ(r, a[0], a[1], a[2]);
                Mat4Multiply(r, node.transform->restMatrix, current);
            }
            stack.MultTop(current);
        }
        if (node.type != kNodeMeshPart) continue;
        float top[16];
        stack.GetTop(top);
        std::vector<float>& out = parts.emplace_back();
        const CMeshPart& part = *node.part;
        for (std::uint32_t v = 0; v < part.GetVertexCount(); ++v) {
            float p[3];
            Mat4TransformPoint(part.GetBaseVertices() + 3 * v, top, p);
            out.insert(out.end(), p, p + 3);
        }
    }
    return parts;
}

float Extreme(const std::vector<float>& xyz, int axis, bool lowest) {
    float best = lowest ? 1e9f : -1e9f;
    for (std::size_t i = axis; i < xyz.size(); i += 3) {
        best = lowest ? std::min(best, xyz[i]) : std::max(best, xyz[i]);
    }
    return best;
}

// Vertices of a part whose stored colour (RGBA) passes the test, at their part-local positions.
template <class Test>
std::vector<const float*> Tagged(const CMeshPart& part, Test test) {
    std::vector<const float*> out;
    for (std::uint32_t v = 0; v < part.GetVertexCount(); ++v) {
        if (test(part.GetColors() + 4 * v)) out.push_back(part.GetBaseVertices() + 3 * v);
    }
    return out;
}

class GeneratedDancerTest : public GlFixture,
                            public ::testing::WithParamInterface<DancerFileCase> {
  protected:
    void SetUp() override {
        GlFixture::SetUp();
        InitMaterialTables();
        RenderShadows = 1;
        ShadowsAvailable = 1;
        ASSERT_EQ(SelectDancer(GetParam().variant, GetParam().dancer.kind), 1)
            << "run the content build first";
    }
    void TearDown() override {
        ReleaseDancers();
        GlFixture::TearDown();
    }
};

TEST_P(GeneratedDancerTest, HasTheSkeletonAndPartsTheDanceAddresses) {
    const DancerCase& c = GetParam().dancer;
    ASSERT_NE(DancerShadow, nullptr);
    EXPECT_EQ(RenderShadows, 1);
    EXPECT_EQ(Dancer->GetJointCount(), 57);
    EXPECT_EQ(Dancer->GetJointNode(0), 0);
    EXPECT_EQ(static_cast<std::uint64_t>(Dancer->GetPartCount()), DancerRecords[c.kind].partCount);
    EXPECT_LE(Dancer->GetNodeCount(), kMaxNodes);
    EXPECT_TRUE(SameNodeTypes(*Dancer, *DancerShadow));
    EXPECT_LT(DancerShadow->GetFaceCount(), Dancer->GetFaceCount() / 3);

    // The root is turned exactly half round about y; every other joint only translates.
    const float* root = Joint(*Dancer, 0).restMatrix;
    const float turned[12] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0};
    EXPECT_EQ(std::memcmp(root, turned, sizeof(turned)), 0);
    for (int k = 1; k < 57; ++k) {
        const float* m = Joint(*Dancer, k).restMatrix;
        float identity[16];
        Mat4Identity(identity);
        EXPECT_EQ(std::memcmp(m, identity, 12 * sizeof(float)), 0) << "joint " << k;
    }

    // The deformations find the dancer's own parts.
    EXPECT_EQ(DeformPartIndex[3], Dancer->GetPartNode(c.bendPart));
    EXPECT_EQ(DeformPartIndex[4], Dancer->GetPartNode(c.bouncePart));
    std::vector<int> deformed = {c.bendPart, c.bouncePart};
    if (c.kind == kTypeOrlaq) {
        EXPECT_EQ(DeformPartIndex[0], Dancer->GetPartNode(0));
    }
    if (c.kind == kTypePemsa) {
        EXPECT_EQ(DeformPartIndex[1], Dancer->GetPartNode(0));
    }
    if (c.kind == kTypeIvret) {
        EXPECT_EQ(DeformPartIndex[2], Dancer->GetPartNode(15));
    }
    for (int p : deformed) {
        const CMeshPart* part = Dancer->GetPart(p);
        EXPECT_TRUE(part->IsDeforming()) << p;
        EXPECT_TRUE(part->HasVertexNormals()) << p;
        EXPECT_FALSE(part->IsIncomplete()) << p;
    }
    for (int p : c.eyes) EXPECT_TRUE(Dancer->GetPart(p)->IsShiny()) << p;
    // Only the catalogue's textured part has coordinates, so no other part takes its image.
    for (int p = 0; p < Dancer->GetPartCount(); ++p) {
        EXPECT_EQ(Dancer->GetPart(p)->IsTextured(), p == c.texturedPart) << p;
    }
}

TEST_P(GeneratedDancerTest, KeepsTheDivisorsAndPivotsOfTheMotionSound) {
    const DancerCase& c = GetParam().dancer;
    // The leg motion measures both legs with the second leg's bones.
    for (int k : {2, 3}) {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Translation(*Dancer, k)[i], Translation(*Dancer, k + 4)[i]);
    }
    EXPECT_GT(Translation(*Dancer, 10)[1], 0);  // the twist ramps over this height
    // The eyes sit left (joint 20) and right (joint 21) of the face, in front.
    EXPECT_LT(Translation(*Dancer, 20)[0], 0);
    EXPECT_GT(Translation(*Dancer, 21)[0], 0);
    EXPECT_LT(Translation(*Dancer, 20)[2], 0);
    if (c.kind == kTypeMirelH) {
        EXPECT_LT(Translation(*Dancer, 17)[1], 0);
    }
    if (c.kind == kTypeIvret) {
        // The pendulum pivots 4 behind the head's axis and hangs below joint 15.
        EXPECT_EQ(Translation(*Dancer, 13)[0] + Translation(*Dancer, 14)[0], 0);
        EXPECT_EQ(Translation(*Dancer, 13)[2] + Translation(*Dancer, 14)[2], 4);
        EXPECT_NE(Translation(*Dancer, 15)[1], 0);
        const CMeshPart& pendulum = *Dancer->GetPart(15);
        int hanging = 0;
        for (std::uint32_t v = 0; v < pendulum.GetVertexCount(); ++v) {
            hanging += pendulum.GetBaseVertices()[3 * v + 1] < 0;
        }
        EXPECT_GT(hanging, 0);
    }
}

TEST_P(GeneratedDancerTest, ChestVerticesLieInsideTheBounceSpheres) {
    const DancerCase& c = GetParam().dancer;
    // Daxil's spheres sit at the spine; her chest moves by its white vertices instead.
    if (c.kind == kTypeDaxil) return;
    const float* b = kBust[c.kind];
    const CMeshPart& chest = *Dancer->GetPart(c.bouncePart);
    int inside = 0;
    for (std::uint32_t v = 0; v < chest.GetVertexCount(); ++v) {
        const float* p = chest.GetBaseVertices() + 3 * v;
        for (float side : {-1.0f, 1.0f}) {
            const float dx = p[0] - side * b[0], dy = p[1] - b[1], dz = p[2] - b[2];
            inside += dx * dx + dy * dy + dz * dz <= b[3] * b[3];
        }
    }
    EXPECT_GT(inside, 20);
}

TEST_P(GeneratedDancerTest, StandsOnTheDanceFloorAtAGrownWomansHeight) {
    const DancerCase& c = GetParam().dancer;
    const auto parts = PosedVertices(Dancer);
    std::vector<float> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    // The dancing stance: knees bent, feet level, soles on the floor at y = 20.
    EXPECT_NEAR(Extreme(all, 1, true), 20, 6);
    // The head (hair included) stays under the cameras' upper edge at 2240.
    EXPECT_GT(Extreme(all, 1, false), 1850);
    EXPECT_LT(Extreme(all, 1, false), 2200);
    // She faces +z, where the cameras start: her eyes look out of the front of her head.
    for (int eye : c.eyes)
        EXPECT_GT(Extreme(parts[eye], 2, true), Extreme(parts[c.head], 2, false) - 30);
}

// The tagged vertices that the thigh push, and Daxil's second bounce pass, move.
TEST_P(GeneratedDancerTest, CarriesTheColourTagsItsDeformationsLookFor) {
    const DancerCase& c = GetParam().dancer;
    const float hipTop = Translation(*Dancer, 1)[1] + 50;  // tagged vertices move below this
    if (c.kind == kTypeOrlaq || c.kind == kTypePemsa) {
        const float tag[3] = {c.kind == kTypeOrlaq ? 0.5647059f : 1.0f,
                              c.kind == kTypeOrlaq ? 0.42745098f : 1.0f,
                              c.kind == kTypeOrlaq ? 0.61960787f : 1.0f};
        const auto skirt = Tagged(*Dancer->GetPart(0), [&tag](const float* rgba) {
            return std::memcmp(rgba, tag, sizeof(tag)) == 0;
        });
        const auto below = std::count_if(skirt.begin(), skirt.end(),
                                         [hipTop](const float* p) { return p[1] < hipTop; });
        EXPECT_GT(below, 50);
    }
    if (c.kind == kTypeDaxil) {
        const auto white = Tagged(*Dancer->GetPart(10), [](const float* rgba) {
            return rgba[0] >= 0.94509804f && rgba[1] >= 0.8980392f && rgba[2] >= 0.84705883f;
        });
        EXPECT_TRUE(
            std::any_of(white.begin(), white.end(), [](const float* p) { return p[1] <= 28.5f; }));
    }
    // The skin is a tone that the recolouring of these kinds takes.
    if (c.kind != kTypeOrlaq && c.kind != kTypeDaxil) {
        float skin[3] = {1.0f, 0.6f, 0.57f};
        const float away[3] = {0, 0, 0};  // outside Pemsa's cheek patches
        CModelObject::RecolorSkin(1, c.kind, skin, away);
        ASSERT_NE(skin[1], 0.6f);
        const auto recoloured = Tagged(*Dancer->GetPart(c.head), [&skin](const float* rgba) {
            return std::memcmp(rgba, skin, sizeof(skin)) == 0;
        });
        EXPECT_GT(recoloured.size(), 100u);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GeneratedDancerTest, ::testing::ValuesIn(DancerFiles(0)),
                         CaseName());

// A costume's file shows a look of its own, not the plain file's.
using DancerCostumeTest = GeneratedDancerTest;

TEST_P(DancerCostumeTest, ShowsOtherColoursThanThePlainLook) {
    const auto costume = ModelColours(*Dancer);
    ReleaseDancers();
    ASSERT_EQ(SelectDancer(0, GetParam().dancer.kind), 1);
    EXPECT_NE(costume, ModelColours(*Dancer));
}

INSTANTIATE_TEST_SUITE_P(Costumes, DancerCostumeTest, ::testing::ValuesIn(DancerFiles(1)),
                         CaseName());

}  // namespace
