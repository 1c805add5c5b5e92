#include "animation/human_object.h"

#include <gtest/gtest.h>

#include "tests/animation/synthetic_dancer.h"
#include "tests/model/temp_dir.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

using synthetic::DancerFileBytes;
using synthetic::DancerSpec;

struct LoadCase {
    const char* name;
    int kind;
    DancerSpec layout;
    bool writeFile;
    int result;
};

DancerSpec WithParts(int parts) {
    DancerSpec layout;
    layout.parts = parts;
    return layout;
}
DancerSpec WithJoints(int joints) {
    DancerSpec layout;
    layout.joints = joints;
    return layout;
}
DancerSpec PartFirst() {
    DancerSpec layout;
    layout.rootFirst = false;
    return layout;
}

const LoadCase kLoadCases[] = {
    {"Sound", kTypeMirel, {}, true, kLoadOk},
    {"MissingFile", kTypeMirel, {}, false, kLoadNoFile},
    {"NodeZeroIsNotTheRoot", kTypeMirel, PartFirst(), true, kLoadNoFile},
    {"FiftySixJoints", kTypeMirel, WithJoints(56), true, kLoadNoFile},
    // The chest (part 10) carries the bounce; MirelB's chest is part 15, Ivret's pendulum too.
    {"ChestMissing", kTypeMirel, WithParts(10), true, kLoadNoFile},
    {"ChestPresent", kTypeOrlaq, WithParts(11), true, kLoadOk},
    {"MirelBChestMissing", kTypeMirelB, WithParts(15), true, kLoadNoFile},
    {"IvretPendulumMissing", kTypeIvret, WithParts(15), true, kLoadNoFile},
    {"IvretPendulumPresent", kTypeIvret, WithParts(16), true, kLoadOk},
};

class HumanObjectLoadTest : public GlFixture, public ::testing::WithParamInterface<LoadCase> {
  protected:
    void SetUp() override {
        GlFixture::SetUp();
        InitMaterialTables();
    }
};

float Angle(const CModelObject& model, int joint, int axis) {
    return model.GetNode(model.GetJointNode(joint)).transform->angles[axis];
}

TEST_P(HumanObjectLoadTest, RefusesAStructureTheDanceCannotMove) {
    const LoadCase& c = GetParam();
    ScopedTempDir dir;
    if (c.writeFile) dir.Write("Models/Dancer.dat", DancerFileBytes(c.layout));
    CHumanObject dancer;
    EXPECT_EQ(dancer.Load("Models/Dancer.dat", DancerRecords[c.kind], 0), c.result);
    if (c.result != kLoadOk) {
        // Nothing of the refused file stays, and the look-at point is not raised.
        EXPECT_EQ(dancer.GetNodeCount(), 0);
        EXPECT_EQ(dancer.GetPartCount(), 0);
        EXPECT_EQ(dancer.FocusOffset[1], 0.0f);
        return;
    }
    EXPECT_TRUE(CarriesDancerMotion(dancer));
    EXPECT_EQ(dancer.GetJointCount(), c.layout.joints);
}

INSTANTIATE_TEST_SUITE_P(Cases, HumanObjectLoadTest, ::testing::ValuesIn(kLoadCases), CaseName());

class HumanObjectTest : public GlFixture {
  protected:
    void SetUp() override {
        GlFixture::SetUp();
        InitMaterialTables();
    }
    ScopedTempDir m_dir;
};

TEST_F(HumanObjectTest, LoadSetsTheLegStartPoseAndTheLookAtHeight) {
    DancerSpec layout;
    layout.pelvisHeight = 1000;
    m_dir.Write("Models/Dancer.dat", DancerFileBytes(layout));
    CHumanObject dancer;
    ASSERT_EQ(dancer.Load("Models/Dancer.dat", DancerRecords[kTypeMirel], 0), kLoadOk);
    const struct {
        int joint, axis;
        float degrees;
    } pose[] = {{1, 2, -10}, {5, 2, 10}, {1, 0, 15}, {5, 0, 15}, {2, 0, -30}, {6, 0, -30}};
    for (const auto& p : pose) {
        EXPECT_FLOAT_EQ(Angle(dancer, p.joint, p.axis), DegToRad(p.degrees)) << p.joint;
    }
    // Only those six angles: the others and the current matrices stay as loaded.
    EXPECT_EQ(Angle(dancer, 1, 1), 0.0f);
    EXPECT_EQ(Angle(dancer, 3, 0), 0.0f);
    const PartTransform* knee = dancer.GetNode(dancer.GetJointNode(2)).transform;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(knee->matrix[i], knee->restMatrix[i]) << i;

    // The look-at point rides 1.1 pelvis heights above the placed instance.
    const float at[3] = {5, 7, -3};
    dancer.SetInstanceCount(1);
    dancer.SetPosition(0, at);
    float focus[3] = {};
    EXPECT_EQ(dancer.GetFocusPoint(focus), focus);
    EXPECT_FLOAT_EQ(focus[0], 5);
    EXPECT_FLOAT_EQ(focus[1], 7 + 1100);
    EXPECT_FLOAT_EQ(focus[2], -3);
}

TEST_F(HumanObjectTest, StartsWithItsOwnMotionAndTheRootOffToTheSide) {
    CHumanObject dancer;
    ASSERT_NE(dancer.Motion, nullptr);
    EXPECT_EQ(dancer.Motion->Model, &dancer);
    EXPECT_EQ(dancer.RootTranslation[0], 10.0f);
    EXPECT_EQ(dancer.RootTranslation[1], 0.0f);
    EXPECT_EQ(dancer.RootRotation[1], 0.0f);
    // Before the first dance step the arms hang as in silence: unit aims, mirrored.
    EXPECT_NEAR(dancer.ArmAim1[0] * dancer.ArmAim1[0] + dancer.ArmAim1[1] * dancer.ArmAim1[1], 1.0f,
                1e-6f);
    EXPECT_EQ(dancer.ArmAim2[0], -dancer.ArmAim1[0]);
    EXPECT_LT(dancer.ArmAim1[1], -0.99f);
    // The look timer starts on looking at the camera, the step timer on the random sway.
    EXPECT_EQ(dancer.LookTimer.index, 1);
    EXPECT_EQ(dancer.LookTimer.count, 3);
    EXPECT_EQ(dancer.StepTimer.count, 2);
    EXPECT_EQ(dancer.StepTimer.max[1], 30.0f);
    EXPECT_EQ(dancer.StepTimer.remaining, 4.0f);
}

}  // namespace
