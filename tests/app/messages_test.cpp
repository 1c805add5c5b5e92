#include "app/messages.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_globals.h"
#include "tests/support/case_name.h"

namespace {

using Flags = std::array<int, kReportFlagCount>;
constexpr Flags kStartFlags = {0, 1, 1, 1, 1};

// Plays the user: records what the dialog showed, then clicks the box as scripted (only while
// the box is enabled, as a window would).
class ScriptedDialog final : public MessageDialog {
public:
    std::vector<bool> clicks;
    std::vector<std::string>* events = nullptr;
    std::string shownText;
    bool boxEnabled = false;
    void RunModal(CMessage& message) override {
        events->push_back("dialog");
        shownText = message.Text();
        boxEnabled = message.DontDisplayEnabled();
        for (bool ticked : clicks) {
            if (boxEnabled) message.OnDontDisplay(ticked);
        }
    }
};

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* mode = std::getenv("VELMORANTH_NONINTERACTIVE")) m_savedMode = mode;
        unsetenv("VELMORANTH_NONINTERACTIVE");
        SetSettingsStartValues();
        m_dialog.events = &m_events;
        SetMessageDialog(&m_dialog);
        SetFatalMessageHandler([this] { m_events.push_back("shut down"); });
    }
    void TearDown() override {
        SetMessageDialog(nullptr);
        SetFatalMessageHandler({});
        if (m_savedMode) setenv("VELMORANTH_NONINTERACTIVE", m_savedMode->c_str(), 1);
    }

    ScriptedDialog m_dialog;
    std::vector<std::string> m_events;

private:
    std::optional<std::string> m_savedMode;
};

struct ReportCase {
    const char* name;
    const char* text;
    int category;
    Flags flags;               // before the message
    std::vector<bool> clicks;  // of "Don't display this error", ticked or clear
    std::vector<std::string> events;
    bool boxEnabled;
    Flags wantFlags;
    int wantDirty;
};
const ReportCase kReportCases[] = {
    {"FatalIsShownThenShutsDown", "I couldn't find Club.dat!", ReportCategory::Fatal,
     {0, 0, 0, 0, 0}, {true}, {"dialog", "shut down"}, false, {0, 0, 0, 0, 0}, 0},
    {"WarningShownWhileItsFlagIsOn", "ray tracing", ReportCategory::RayTracing, kStartFlags, {},
     {"dialog"}, true, kStartFlags, 0},
    {"SilencedWarningSkipsTheDialog", "ray tracing", ReportCategory::RayTracing,
     {0, 1, 1, 1, 0}, {true}, {}, false, {0, 1, 1, 1, 0}, 0},
    {"TickSilencesOnlyItsCategory", "3D sound", ReportCategory::Sound3D, kStartFlags, {true},
     {"dialog"}, true, {0, 1, 1, 0, 1}, 1},
    {"TickThenUntickKeepsTheFlagButNeedsSaving", "VR", ReportCategory::VirtualReality,
     kStartFlags, {true, false}, {"dialog"}, true, kStartFlags, 1},
    {"CategoryZeroIsNeverShown", "zero", 0, kStartFlags, {true}, {}, false, kStartFlags, 0},
    {"CategoryOutsideTheTableCannotBeSilenced", "seven", 7, kStartFlags, {true}, {"dialog"},
     false, kStartFlags, 0},
    {"FailureIsShownEvenWithEveryWarningSilenced", "I couldn't save the settings",
     ReportCategory::Failure, {0, 0, 0, 0, 0}, {true}, {"dialog"}, false, {0, 0, 0, 0, 0}, 0},
    {"NullTextStillShown", nullptr, ReportCategory::NoAudio, kStartFlags, {}, {"dialog"}, true,
     kStartFlags, 0},
};

class ReportMessageTest : public MessagesTest,
                          public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportMessageTest, FollowsCategoryAndFlags) {
    const ReportCase& c = GetParam();
    ReportFlags = c.flags;
    m_dialog.clicks = c.clicks;
    ReportMessage(c.text, c.category);
    EXPECT_EQ(m_events, c.events);
    if (!c.events.empty()) {
        EXPECT_EQ(m_dialog.shownText, c.text ? c.text : "Unknown Error");
        EXPECT_EQ(m_dialog.boxEnabled, c.boxEnabled);
    }
    EXPECT_EQ(ReportFlags, c.wantFlags);
    EXPECT_EQ(SettingsDirty, c.wantDirty);
}
INSTANTIATE_TEST_SUITE_P(Cases, ReportMessageTest, ::testing::ValuesIn(kReportCases),
                         CaseName());

// Without anyone to answer, a message goes to standard error and counts as answered with OK.
struct UnattendedCase {
    const char* name;
    bool nonInteractiveSetting;
    bool dialogConnected;
};
const UnattendedCase kUnattendedCases[] = {
    {"NonInteractiveSettingBypassesTheDialog", true, true},
    {"NoDialogConnected", false, false},
};

class UnattendedMessageTest : public MessagesTest,
                              public ::testing::WithParamInterface<UnattendedCase> {};

TEST_P(UnattendedMessageTest, WritesTextAndCategoryToStandardError) {
    if (GetParam().nonInteractiveSetting) setenv("VELMORANTH_NONINTERACTIVE", "1", 1);
    if (!GetParam().dialogConnected) SetMessageDialog(nullptr);
    m_dialog.clicks = {true};
    ::testing::internal::CaptureStderr();
    ReportMessage("3D sound init error (-1).", ReportCategory::Sound3D);
    ReportMessage("I couldn't find Club.dat!", ReportCategory::Fatal);
    const std::string err = ::testing::internal::GetCapturedStderr();

    EXPECT_NE(err.find("[category 3] 3D sound init error (-1)."), std::string::npos) << err;
    EXPECT_NE(err.find("[category -1] I couldn't find Club.dat!"), std::string::npos) << err;
    EXPECT_EQ(m_events, std::vector<std::string>{"shut down"});  // the scripted dialog never ran
    EXPECT_EQ(ReportFlags, kStartFlags);                         // the box stays clear
    EXPECT_EQ(SettingsDirty, 0);
}
INSTANTIATE_TEST_SUITE_P(Cases, UnattendedMessageTest, ::testing::ValuesIn(kUnattendedCases),
                         CaseName());

}  // namespace
