// The generated Pemsa under the "auburnHair" marker: loaded from a copy of the run folder's
// Models/ in a folder of its own, once without and once with the marker.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/model_catalogue.h"
#include "model/model_object.h"
#include "tests/model/temp_dir.h"
#include "tests/support/gl_context.h"

namespace {

constexpr int kHairPart = 15;
const std::vector<float> kAuburn = {0.408f, 0.059f, 0.059f, 1.0f};

std::vector<float> Colours(const CMeshPart* part) {
    std::vector<float> colours;
    for (std::uint32_t i = 0; i < part->GetVertexCount(); ++i) {
        float c[4];
        part->GetVertexColor(c, static_cast<std::int32_t>(i));
        colours.insert(colours.end(), c, c + 4);
    }
    return colours;
}

class AuburnHairTest : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        InitMaterialTables();
        m_models = std::filesystem::absolute("Models");
    }

    // Pemsa loaded in a fresh folder holding a copy of Models/ and, when asked, the marker.
    std::unique_ptr<CModelObject> LoadPemsa(bool marker) {
        const ScopedTempDir dir;
        std::filesystem::copy(m_models, dir.Path() / "Models");
        if (marker) dir.Write("auburnHair");
        const ModelRecord& record = DancerRecords[kTypePemsa];
        auto model = std::make_unique<CModelObject>();
        const std::string path = DancerModelPath(0, record);
        EXPECT_EQ(model->Load(path.c_str(), record, 0), kLoadOk) << path;
        return model;
    }

    std::filesystem::path m_models;
};

TEST_F(AuburnHairTest, MarkerTurnsPart15AuburnAndNothingElse) {
    const std::unique_ptr<CModelObject> plain = LoadPemsa(false);
    const std::unique_ptr<CModelObject> auburn = LoadPemsa(true);
    ASSERT_GT(plain->GetPartCount(), kHairPart);
    ASSERT_EQ(auburn->GetPartCount(), plain->GetPartCount());

    // Without the marker the strand keeps the hair colour it was painted with.
    const std::vector<float> before = Colours(plain->GetPart(kHairPart));
    ASSERT_FALSE(before.empty());
    EXPECT_NE(std::vector<float>(before.begin(), before.begin() + 4), kAuburn);

    const CMeshPart* hair = auburn->GetPart(kHairPart);
    ASSERT_EQ(hair->GetVertexCount(), plain->GetPart(kHairPart)->GetVertexCount());
    const std::vector<float> after = Colours(hair);
    std::uint32_t notAuburn = 0;
    for (std::size_t at = 0; at < after.size(); at += 4) {
        notAuburn += !std::equal(kAuburn.begin(), kAuburn.end(), after.begin() + at);
    }
    EXPECT_EQ(notAuburn, 0u) << "of " << hair->GetVertexCount() << " vertices";

    for (int p = 0; p < plain->GetPartCount(); ++p) {
        if (p == kHairPart) continue;
        EXPECT_EQ(Colours(auburn->GetPart(p)), Colours(plain->GetPart(p))) << "part " << p;
    }
}

}  // namespace
