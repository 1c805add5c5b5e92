#include "model/report_message.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Received {
    std::string text;
    int category;
};
std::vector<Received> g_received;

void Record(const char* text, int category) { g_received.push_back({text, category}); }

class ReportMessageTest : public ::testing::Test {
  protected:
    void SetUp() override { g_received.clear(); }
    void TearDown() override { SetReportMessageHandler(nullptr); }
};

TEST_F(ReportMessageTest, ForwardsEveryCategoryToTheInstalledHandler) {
    SetReportMessageHandler(&Record);
    const int categories[] = {ReportCategory::Fatal, 0, ReportCategory::NoAudio,
                              ReportCategory::VirtualReality, ReportCategory::Sound3D,
                              ReportCategory::RayTracing};
    for (int category : categories) ReportMessage("text", category);
    ASSERT_EQ(g_received.size(), std::size(categories));
    for (size_t i = 0; i < g_received.size(); ++i) {
        EXPECT_EQ(g_received[i].text, "text");
        EXPECT_EQ(g_received[i].category, categories[i]);
    }
}

TEST_F(ReportMessageTest, WithoutAHandlerTheMessageGoesToStandardError) {
    SetReportMessageHandler(&Record);
    SetReportMessageHandler(nullptr);
    ::testing::internal::CaptureStderr();
    ReportMessage("I couldn't find Club.dat!", ReportCategory::Fatal);
    ReportMessage(nullptr, ReportCategory::NoAudio);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(g_received.empty());
    EXPECT_NE(err.find("[category -1] I couldn't find Club.dat!"), std::string::npos) << err;
    EXPECT_NE(err.find("[category 1] Unknown Error"), std::string::npos) << err;
}

}  // namespace
