#include "model/model_catalogue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/model_factory.h"
#include "tests/model/model_bytes.h"
#include "tests/model/temp_dir.h"
#include "tests/support/case_name.h"
#include "tests/support/gl_context.h"

namespace {

struct FileNameCase {
    const char* name;
    int variant;
    int dancer;
    const char* model;
    const char* shadow;
};
const FileNameCase kFileNameCases[] = {
    {"PlainMirel", 0, kTypeMirel, "Models/Mirel.dat", "Models/MirelShadow.dat"},
    {"SexyMirelH", 1, kTypeMirelH, "Models/MirelHSx.dat", "Models/MirelHShadow.dat"},
    {"SexyMirelBKeepsHerPlainFile", 1, kTypeMirelB, "Models/MirelB.dat",
     "Models/MirelBShadow.dat"},
    {"NudeMirel", 2, kTypeMirel, "Models/MirelN.dat", "Models/MirelNShadow.dat"},
    {"NudeMirelHKeepsHerPlainFiles", 2, kTypeMirelH, "Models/MirelH.dat",
     "Models/MirelHShadow.dat"},
    {"NudeMirelBKeepsHerPlainFiles", 2, kTypeMirelB, "Models/MirelB.dat",
     "Models/MirelBShadow.dat"},
    {"NudeDaxil", 2, kTypeDaxil, "Models/DaxilN.dat", "Models/DaxilNShadow.dat"},
};
class DancerFileNameTest : public ::testing::TestWithParam<FileNameCase> {};
TEST_P(DancerFileNameTest, FollowsTheVariant) {
    const FileNameCase& c = GetParam();
    EXPECT_EQ(DancerModelPath(c.variant, DancerRecords[c.dancer]), c.model);
    EXPECT_EQ(DancerShadowPath(c.variant, DancerRecords[c.dancer]), c.shadow);
}
INSTANTIATE_TEST_SUITE_P(Cases, DancerFileNameTest, ::testing::ValuesIn(kFileNameCases),
                         CaseName());

// Availability looks for the file that the dancer factory would load in the variant, so a
// dancer offered in the menu never fails to load for want of her variant file.
struct AvailabilityCase {
    const char* name;
    int variant;
    std::vector<std::string> files;  // under Models/
    std::vector<int> available;      // by dancer index
};
const AvailabilityCase kAvailabilityCases[] = {
    {"NoFiles", 0, {}, {0, 0, 0, 0, 0, 0, 0}},
    {"PlainFile", 0, {"Orlaq.dat"}, {0, 0, 0, 1, 0, 0, 0}},
    {"PlainFileDoesNotServeVariantOne", 1, {"Orlaq.dat"}, {0, 0, 0, 0, 0, 0, 0}},
    {"VariantOneFile", 1, {"OrlaqSx.dat", "MirelB.dat"}, {0, 0, 1, 1, 0, 0, 0}},
    {"VariantTwoOffersNeitherMirelHNorMirelB", 2,
     {"MirelN.dat", "MirelH.dat", "MirelB.dat", "PemsaN.dat"}, {1, 0, 0, 0, 0, 1, 0}},
    {"AFolderIsNoFile", 0, {"Ivret.dat/inside"}, {0, 0, 0, 0, 0, 0, 0}},
};
class AvailabilityTest : public ::testing::TestWithParam<AvailabilityCase> {};
TEST_P(AvailabilityTest, ChecksTheVariantsFile) {
    const AvailabilityCase& c = GetParam();
    ScopedTempDir dir;
    for (const std::string& file : c.files) dir.Write("Models/" + file);
    std::fill_n(DancerAvailable, kDancerCount, 1);
    CheckDancerModelFiles(c.variant);
    EXPECT_EQ(std::vector<int>(DancerAvailable, DancerAvailable + kDancerCount), c.available);
    std::fill_n(DancerAvailable, kDancerCount, 1);
}
INSTANTIATE_TEST_SUITE_P(Cases, AvailabilityTest, ::testing::ValuesIn(kAvailabilityCases),
                         CaseName());

TEST(FileExists, FindsFilesInTheCurrentDirectoryOnly) {
    ScopedTempDir dir;
    dir.Write("auburnHair");
    dir.Write("Models/inside");
    EXPECT_EQ(FileExists("auburnHair"), 1);
    EXPECT_EQ(FileExists("SexyGirl"), 0);
    EXPECT_EQ(FileExists("Models"), 0);  // a folder of that name is no marker file
    EXPECT_EQ(FileExists("Models/inside"), 1);
    ASSERT_EQ(mkfifo("NudeGirl", 0600), 0);  // opening it would wait for a writer
    EXPECT_EQ(FileExists("NudeGirl"), 0);
}

// The pendant motion swings Ivret's part 15; frozen in a display list it would not move.
TEST(InitMaterialTables, IvretsPendantPartDeforms) {
    InitMaterialTables();
    EXPECT_EQ(DancerRecords[kTypeIvret].parts[15].flags[kEntryDeforming], 1);
    EXPECT_EQ(DancerRecords[kTypeMirel].parts[15].flags[kEntryDeforming], 0);
}

class CreatePropTest : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        PropsAvailable = 0;
    }
    void TearDown() override {
        PropsAvailable = 0;
        GlFixture::TearDown();
    }
    ScopedTempDir m_dir;
};

TEST_F(CreatePropTest, MissingOrBadFileGivesNoPropAndNoMessage) {
    const ModelRecord& plant = PropRecords[kPropPlant];
    EXPECT_EQ(CreateProp(&plant), nullptr);
    m_dir.Write("Models/Plant.dat", ModelBytes{}.Push().String());  // no end chunk
    EXPECT_EQ(CreateProp(&plant), nullptr);
    EXPECT_EQ(PropsAvailable, 0);
}

TEST_F(CreatePropTest, LoadedPropIsPlacedByItsRecord) {
    const ModelRecord& table2 = PropRecords[kPropTable2];
    m_dir.Write("Models/Table2.dat", ModelBytes{}.Append(Part(Triangle())).End().String());
    const auto model = CreateProp(&table2);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(PropsAvailable, 1);
    EXPECT_EQ(model->GetType(), kTypeTable2);
    ASSERT_EQ(model->GetInstanceCount(), 4);
    float position[3];
    model->GetPosition(position, 1);
    EXPECT_EQ(std::vector<float>(position, position + 3), (std::vector<float>{9899, -425, 7567}));
    EXPECT_FLOAT_EQ(model->GetRotY(1), 274.73682f);
}

}  // namespace
