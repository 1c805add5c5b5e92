#include "app/messages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "app/settings_globals.h"

namespace {

// Stands in for the dialog when nobody can answer it: the text and category go to standard
// error and the message counts as answered with OK, its box left clear.
class StandardErrorDialog final : public MessageDialog {
public:
    void RunModal(CMessage& message) override {
        std::fprintf(stderr, "MESSAGE: [category %d] %s\n", message.Category(),
                     message.Text().c_str());
    }
};

StandardErrorDialog g_standardError;
MessageDialog* g_dialog = nullptr;
std::function<void()> g_fatalHandler;

bool IsSilenceable(int category) { return category >= 0 && category < kReportFlagCount; }

MessageDialog& ActiveDialog() {
    const char* mode = std::getenv("VELMORANTH_NONINTERACTIVE");
    const bool nonInteractive = mode && std::strcmp(mode, "1") == 0;
    return nonInteractive || !g_dialog ? g_standardError : *g_dialog;
}

}  // namespace

CMessage::CMessage(const char* text, int category)
    : m_text(text ? text : "Unknown Error"), m_category(category) {}

bool CMessage::DontDisplayEnabled() const { return IsSilenceable(m_category); }

void CMessage::OnDontDisplay(bool ticked) {
    if (!IsSilenceable(m_category)) return;
    SettingsDirty = 1;
    ReportFlags[m_category] = ticked ? 0 : 1;
}

void SetMessageDialog(MessageDialog* dialog) { g_dialog = dialog; }

void SetFatalMessageHandler(std::function<void()> handler) { g_fatalHandler = std::move(handler); }

void ShowReportedMessage(const char* text, int category) {
    // Entry 0 is always 0, so a category-0 message is never shown.
    if (IsSilenceable(category) && ReportFlags[category] == 0) return;
    {
        CMessage message(text, category);
        ActiveDialog().RunModal(message);
    }
    if (category == ReportCategory::Fatal && g_fatalHandler) g_fatalHandler();
}

namespace {
// Installed before main, so a message reported at any point of the run follows the rules.
[[maybe_unused]] const bool kRulesInstalled = (SetReportMessageHandler(&ShowReportedMessage), true);
}  // namespace
