#include "animation/dancer_selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "animation/view_options.h"
#include "model/report_message.h"
#include "tests/animation/synthetic_dancer.h"
#include "tests/model/temp_dir.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

using synthetic::DancerFileBytes;
using synthetic::DancerSpec;

// What was reported while a test ran: the handler is a plain function, so it records here.
struct Reported {
    std::vector<std::string> shown;
    int fatal = 0;
};
Reported g_reported;

void RecordMessage(const char* text, int category) {
    g_reported.shown.emplace_back(text);
    if (category == ReportCategory::Fatal) ++g_reported.fatal;
}

// A fresh scene in an empty folder, with messages going to a recorder.
class DancerSceneTest : public GlFixture {
  protected:
    void SetUp() override {
        GlFixture::SetUp();
        g_reported = {};
        SetReportMessageHandler(&RecordMessage);
        InitMaterialTables();
        ReleaseDancers();
        CurrentDancer = 0;
        RenderShadows = 1;
        ShadowsAvailable = 1;
        std::fill_n(DancerAvailable, kDancerCount, 1);
        std::fill_n(DeformPartIndex, kDeformPartEntries, -1);
    }
    void TearDown() override {
        ReleaseDancers();  // before the GL context goes
        SetReportMessageHandler(nullptr);
        GlFixture::TearDown();
    }
    void WriteDancer(const std::string& file, const DancerSpec& layout = {}) {
        m_dir.Write("Models/" + file, DancerFileBytes(layout));
    }

    ScopedTempDir m_dir;
};

enum class Files { kBoth, kNoShadow, kOtherLayoutShadow, kNoDancer, kVariantOne };

struct SelectCase {
    const char* name;
    int variant;
    int index;
    Files files;
    int result;
    bool dancer, shadow, shadowsOn, fatal;
    int current;  // CurrentDancer afterwards
};

const SelectCase kSelectCases[] = {
    {"Loads", 0, kTypeOrlaq, Files::kBoth, 1, true, true, true, false, kTypeOrlaq},
    {"IndexPastTheEnd", 0, 7, Files::kBoth, 0, true, true, true, false, kTypeMirel},
    {"NegativeIndex", 0, -1, Files::kBoth, 0, true, true, true, false, kTypeMirel},
    {"MissingDancerIsFatal", 0, kTypeOrlaq, Files::kNoDancer, 0, false, false, true, true,
     kTypeOrlaq},
    {"MissingShadowTurnsShadowsOff", 0, kTypeOrlaq, Files::kNoShadow, 1, true, false, false, false,
     kTypeOrlaq},
    {"ShadowOfAnotherLayoutTurnsShadowsOff", 0, kTypeOrlaq, Files::kOtherLayoutShadow, 1, true,
     false, false, false, kTypeOrlaq},
    {"VariantOneFile", 1, kTypeOrlaq, Files::kVariantOne, 1, true, true, true, false, kTypeOrlaq},
};

class SelectDancerTest : public DancerSceneTest,
                         public ::testing::WithParamInterface<SelectCase> {};

TEST_P(SelectDancerTest, ReplacesTheDancerAndHerShadow) {
    const SelectCase& c = GetParam();
    // Mirel is shown first, with her shadow.
    WriteDancer("Mirel.dat");
    WriteDancer("MirelShadow.dat");
    ASSERT_EQ(SelectDancer(0, kTypeMirel), 1);
    const CHumanObject* before = Dancer;
    const CHumanObject* shadowBefore = DancerShadow;

    DancerSpec other;
    other.extraPush = true;
    if (c.files != Files::kNoDancer)
        WriteDancer(c.files == Files::kVariantOne ? "OrlaqSx.dat" : "Orlaq.dat");
    if (c.files == Files::kBoth || c.files == Files::kVariantOne) WriteDancer("OrlaqShadow.dat");
    if (c.files == Files::kOtherLayoutShadow) WriteDancer("OrlaqShadow.dat", other);

    EXPECT_EQ(SelectDancer(c.variant, c.index), c.result);
    EXPECT_EQ(CurrentDancer, c.current);
    EXPECT_EQ(Dancer != nullptr, c.dancer);
    EXPECT_EQ(DancerShadow != nullptr, c.shadow);
    EXPECT_EQ(RenderShadows, c.shadowsOn ? 1 : 0);
    EXPECT_EQ(ShadowsAvailable, c.shadowsOn ? 1 : 0);
    EXPECT_EQ(g_reported.fatal, c.fatal ? 1 : 0);
    if (c.fatal) {
        ASSERT_EQ(g_reported.shown.size(), 1u);
        EXPECT_EQ(g_reported.shown[0], "I couldn't find Orlaq.dat!");
        EXPECT_EQ(DancerAvailable[kTypeOrlaq], 0);
    } else {
        EXPECT_TRUE(g_reported.shown.empty());
    }
    if (c.index < 0 || c.index >= kDancerCount) {
        EXPECT_EQ(Dancer, before);  // a bad index keeps the dancer shown
        EXPECT_EQ(DancerShadow, shadowBefore);
    }
    if (!Dancer || c.result == 0) return;
    // A new dancer stands as loaded: root off to the side, legs in their start pose.
    EXPECT_EQ(Dancer->GetType(), kTypeOrlaq);
    EXPECT_EQ(Dancer->RootTranslation[0], 10.0f);
    EXPECT_EQ(Dancer->RootTranslation[2], 0.0f);
    EXPECT_EQ(Dancer->RootRotation[0], 0.0f);
    const PartTransform* hip = Dancer->GetNode(Dancer->GetJointNode(5)).transform;
    EXPECT_FLOAT_EQ(hip->angles[2], DegToRad(10));
    EXPECT_FLOAT_EQ(Dancer->FocusOffset[1], 1100);
    EXPECT_EQ(DancerAvailable[kTypeOrlaq], 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, SelectDancerTest, ::testing::ValuesIn(kSelectCases), CaseName());

TEST_F(DancerSceneTest, DeformedPartsAreTheDancersWhateverHerShadowHolds) {
    // Orlaq sets the skirt entry; Mirel's shadow is laid out differently and is refused.
    WriteDancer("Orlaq.dat");
    WriteDancer("OrlaqShadow.dat");
    ASSERT_EQ(SelectDancer(0, kTypeOrlaq), 1);
    EXPECT_EQ(DeformPartIndex[0], Dancer->GetPartNode(0));
    DancerSpec other;
    other.extraPush = true;
    WriteDancer("Mirel.dat");
    WriteDancer("MirelShadow.dat", other);
    ASSERT_EQ(SelectDancer(0, kTypeMirel), 1);
    ASSERT_EQ(DancerShadow, nullptr);
    EXPECT_EQ(DeformPartIndex[0], -1);  // nothing of Orlaq lingers
    EXPECT_EQ(DeformPartIndex[3], Dancer->GetPartNode(9));
    EXPECT_EQ(DeformPartIndex[4], Dancer->GetPartNode(10));
}

TEST_F(DancerSceneTest, CopyPartTransformsHandsOverCurrentMatricesOnly) {
    WriteDancer("Mirel.dat");
    WriteDancer("MirelShadow.dat");
    ASSERT_EQ(SelectDancer(0, kTypeMirel), 1);
    ASSERT_NE(DancerShadow, nullptr);
    for (int k = 0; k < Dancer->GetJointCount(); ++k) {
        PartTransform* t = Dancer->GetNode(Dancer->GetJointNode(k)).transform;
        for (int i = 0; i < 16; ++i) t->matrix[i] = float(100 * k + i);
        t->angles[0] = 1.5f;
    }
    const PartTransform* shadowKnee =
        DancerShadow->GetNode(DancerShadow->GetJointNode(2)).transform;
    const std::vector<float> restBefore(shadowKnee->restMatrix, shadowKnee->restMatrix + 16);
    const float angleBefore = shadowKnee->angles[0];

    CopyPartTransforms(Dancer, DancerShadow);
    for (int k = 0; k < Dancer->GetJointCount(); ++k) {
        const PartTransform* t = DancerShadow->GetNode(DancerShadow->GetJointNode(k)).transform;
        EXPECT_EQ(std::memcmp(t->matrix, Dancer->GetNode(Dancer->GetJointNode(k)).transform->matrix,
                              sizeof(t->matrix)),
                  0)
            << k;
    }
    EXPECT_EQ(std::vector<float>(shadowKnee->restMatrix, shadowKnee->restMatrix + 16), restBefore);
    EXPECT_EQ(shadowKnee->angles[0], angleBefore);
    CopyPartTransforms(Dancer, nullptr);  // no shadow: nothing happens
}

TEST_F(DancerSceneTest, CopyPartTransformsStopsWhereASmallerTargetEnds) {
    WriteDancer("Mirel.dat");
    DancerSpec small;
    small.joints = 3;
    small.parts = 0;
    m_dir.Write("Models/Small.dat", DancerFileBytes(small));
    ASSERT_EQ(SelectDancer(0, kTypeMirel), 1);
    CModelObject target;
    ASSERT_EQ(target.Load("Models/Small.dat", ClubRecord, 0), kLoadOk);
    for (int k = 0; k < Dancer->GetJointCount(); ++k) {
        Dancer->GetNode(Dancer->GetJointNode(k)).transform->matrix[12] = 42;
    }
    CopyPartTransforms(Dancer, &target);
    // The source's node 2 is joint 1 and the target's node 2 joint 2; pairs go by node.
    EXPECT_EQ(target.GetNode(0).transform->matrix[12], 42);
    EXPECT_EQ(target.GetNode(2).transform->matrix[12], 42);
}

}  // namespace
