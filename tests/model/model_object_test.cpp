#include "model/model_object.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "model/matrix_stack.h"
#include "model/vec_math.h"
#include "tests/model/model_bytes.h"
#include "tests/support/gl_context.h"

namespace {

TEST(MatrixStackTest, PushIsRefusedAtTheLastSlotAndPopAtTheBottom) {
    MatrixStack stack;
    float t[16];
    Mat4Translation(t, 1, 0, 0);
    for (int i = 0; i < 99; ++i) {
        stack.Push();
        stack.MultTop(t);  // each level one step further along x
    }
    EXPECT_EQ(stack.depth, 99);
    float before[16];
    stack.GetTop(before);
    EXPECT_EQ(before[12], 99.0f);
    stack.Push();
    EXPECT_EQ(stack.depth, 99);
    float after[16];
    stack.GetTop(after);
    EXPECT_EQ(std::memcmp(before, after, sizeof(before)), 0);
    stack.Init();
    stack.Pop();
    EXPECT_EQ(stack.depth, 0);
}

TEST(MatrixStackTest, MultTopAppliesTheNewMatrixFirst) {
    MatrixStack stack;
    float t[16], r[16], top[16];
    Mat4Translation(t, 1, 0, 0);
    stack.MultTop(t);
    stack.GetTop(top);
    EXPECT_EQ(std::vector<float>(top + 12, top + 15), (std::vector<float>{1, 0, 0}));
    // Then a quarter turn about z: a point is turned first, then moved, as OpenGL would.
    Mat4RotateXYZ(r, 0, 0, 1.5707964f);
    stack.MultTop(r);
    stack.GetTop(top);
    const float p[3] = {1, 0, 0};
    float out[3];
    Mat4TransformPoint(p, top, out);
    EXPECT_NEAR(out[0], 1, 1e-6f);
    EXPECT_NEAR(out[1], 1, 1e-6f);
}

TEST(ModelObjectTest, InstanceSettersIgnoreWhatDoesNotFit) {
    CModelObject model;
    model.SetInstanceCount(60);
    EXPECT_EQ(model.GetInstanceCount(), kMaxInstances);
    const float p[3] = {1, 2, 3};
    model.SetRotY(50, 45);
    model.SetPosition(50, p);
    for (int i = 0; i < kMaxInstances; ++i) {
        float got[3];
        model.GetPosition(got, i);
        EXPECT_EQ(model.GetRotY(i), 0.0f) << i;
        EXPECT_EQ(got[0], 0.0f) << i;
    }
}

// Draws models in a 256 x 256 orthographic view of x, y in [-128, 128].
class ModelDrawTest : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        glMatrixMode(GL_PROJECTION);
        glOrtho(-128, 128, -128, 128, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // A square of side 10 around (x, y), in one colour.
    static ModelBytes Square(float x, float y, float r, float g, float b) {
        PartSpec p;
        p.positions = {x - 5, y - 5, 0, x + 5, y - 5, 0, x + 5, y + 5, 0, x - 5, y + 5, 0};
        p.faces = {0, 1, 2, 3};
        p.faceColors = {r, g, b};
        return Part(p);
    }
    std::array<std::uint8_t, 4> At(int x, int y) {
        return PixelAt(m_context->ReadRgba(), x + 128, y + 128);
    }
};

TEST_F(ModelDrawTest, PushPopAndJointNodesPlaceTheParts) {
    std::vector<ModelPartEntry> entries(2, ModelPartEntry{{}, "none"});
    const ModelRecord record{"T", kTypeStool, 1, nullptr, nullptr, 2, entries.data()};
    ModelBytes joint;
    for (int i = 0; i < 16; ++i) joint.Float(i % 5 == 0 ? 1.0f : i == 12 ? 50.0f : 0.0f);
    const ModelBytes file = ModelBytes{}
                                .Push()
                                .Chunk(4, joint)
                                .Append(Square(0, 0, 1, 0, 0))  // drawn at x = 50
                                .Pop()
                                .Append(Square(0, 0, 0, 0, 1))  // back at the origin
                                .End();
    CModelObject model;
    ASSERT_EQ(model.LoadBytes(file.bytes, record, 0), kLoadOk);
    model.SetInstanceCount(1);
    const float at[3] = {-20, 30, 0};
    model.SetPosition(0, at);
    model.Draw();
    EXPECT_EQ(At(30, 30)[0], 255);
    EXPECT_EQ(At(-20, 30)[2], 255);
    EXPECT_EQ(At(0, 0)[2], 0);
}

TEST_F(ModelDrawTest, DrawInstancesDrawsTheChosenPartsOfTheFirstInstances) {
    // MirelB honours the translucent flag: part 1 is translucent, part 0 opaque.
    std::vector<ModelPartEntry> entries(2, ModelPartEntry{{}, "none"});
    entries[1].flags[kEntryTranslucent] = 1;
    const ModelRecord record{"T", kTypeMirelB, 1, nullptr, nullptr, 2, entries.data()};
    const ModelBytes file =
        ModelBytes{}.Append(Square(0, 10, 1, 0, 0)).Append(Square(0, -10, 0, 0, 1)).End();
    CModelObject model;
    ASSERT_EQ(model.LoadBytes(file.bytes, record, 0), kLoadOk);
    model.SetInstanceCount(9);
    for (int i = 0; i < 9; ++i) {
        const float at[3] = {-100.0f + 25 * i, 0, 0};
        model.SetPosition(i, at);
        model.SetRotY(i, i % 2 ? 360.0f : 0.0f);
    }
    struct Case {
        std::int32_t mode;
        bool opaque;
        bool translucent;
    };
    for (const Case c : {Case{2, true, false}, Case{1, false, true}, Case{0, true, true},
                         Case{3, false, false}}) {
        glClear(GL_COLOR_BUFFER_BIT);
        model.DrawInstances(c.mode, 3);
        for (int i = 0; i < 9; ++i) {
            const int x = -100 + 25 * i;
            const bool drawn = i < 3;
            EXPECT_EQ(At(x, 10)[0] > 0, drawn && c.opaque) << "mode " << c.mode << " #" << i;
            EXPECT_EQ(At(x, -10)[2] > 0, drawn && c.translucent)
                << "mode " << c.mode << " #" << i;
        }
    }
}

TEST_F(ModelDrawTest, HiddenModelDrawsNothing) {
    std::vector<ModelPartEntry> entries(1, ModelPartEntry{{}, "none"});
    const ModelRecord record{"T", kTypeStool, 1, nullptr, nullptr, 1, entries.data()};
    CModelObject model;
    ASSERT_EQ(model.LoadBytes(ModelBytes{}.Append(Square(0, 0, 1, 1, 1)).End().bytes, record, 0),
              kLoadOk);
    model.SetInstanceCount(1);
    model.SetVisible(0);
    for (int mode : {0, 1, 2}) model.DrawInstances(mode, 1);
    model.DrawOutline();
    EXPECT_EQ(At(0, 0)[0], 0);
    model.SetVisible(1);
    model.Draw();
    EXPECT_EQ(At(0, 0)[0], 255);
}

}  // namespace
