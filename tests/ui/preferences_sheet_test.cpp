// The preferences sheet's widgets over a recording logic: the tabs, when each page fills, what
// the controls report, and every way the sheet ends.

#include "ui/preferences_sheet.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/gui/qt_app.h"
#include "tests/support/case_name.h"
#include "ui/dialog_support.h"

using namespace prefs;

namespace {

// What the sheet called, shared with the test after the sheet (and its logic) are gone.
struct Calls {
    std::vector<int> inits;
    std::vector<std::pair<int, int>> controls;
    int oks = 0;
    int cancels = 0;
    int destroys = 0;
    ControlStates initAnswer;     // every page opens with these
    ControlStates controlAnswer;  // every control answers these
};

class RecordingPages final : public SheetPages {
  public:
    explicit RecordingPages(Calls& calls) : m_calls(calls) {}
    ControlStates InitPage(int page) override {
        m_calls.inits.push_back(page);
        return m_calls.initAnswer;
    }
    ControlStates OnControl(int id, int value) override {
        m_calls.controls.emplace_back(id, value);
        return m_calls.controlAnswer;
    }
    void OnOK() override { ++m_calls.oks; }
    void OnCancel() override { ++m_calls.cancels; }
    void OnDestroy() override { ++m_calls.destroys; }

  private:
    Calls& m_calls;
};

template <class Widget>
Widget* FindByText(QWidget& sheet, const char* text) {
    for (Widget* w : sheet.findChildren<Widget*>())
        if (w->text() == text) return w;
    return nullptr;
}

QSlider* SliderOnTab(QWidget& sheet, int page) {
    auto* tabs = sheet.findChild<QTabWidget*>();
    return tabs->widget(page)->findChild<QSlider*>();
}

class SheetTest : public ::testing::Test {
  protected:
    QPointer<CPreferencesSheet> Open() {
        QPointer<CPreferencesSheet> sheet =
            new CPreferencesSheet(std::make_unique<RecordingPages>(calls));
        ui::ShowModeless(sheet, &owner, open);
        return sheet;
    }

    QWidget owner;
    int open = 0;
    Calls calls;
};

TEST_F(SheetTest, SixTabsInOrderWithTheirCaptions) {
    auto sheet = Open();
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Preferences");
    EXPECT_EQ(sheet->parentWidget(), &owner);  // transient for the main window
    auto* tabs = sheet->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    std::vector<std::string> captions;
    for (int i = 0; i < tabs->count(); ++i) captions.push_back(tabs->tabText(i).toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{"Objects", "Lights", "Audio", "Stats",
                                                  "Stereo 3D", "Render"}));
    std::vector<std::string> groups;
    for (QGroupBox* g : sheet->findChildren<QGroupBox*>())
        groups.push_back(g->title().toStdString());
    for (const char* title : {"Display club props", "Render options", "Number of spot lights",
                              "Ambiant light", "Audio detection level",
                              "Statistics averaging window", "Stereo seperation", "Render Engine"})
        EXPECT_NE(std::find(groups.begin(), groups.end(), title), groups.end()) << title;
    EXPECT_NE(FindByText<QPushButton>(*sheet, "OK"), nullptr);
    EXPECT_NE(FindByText<QPushButton>(*sheet, "Cancel"), nullptr);
    sheet->close();
}

TEST_F(SheetTest, EachPageFillsOnItsFirstShowOnly) {
    auto sheet = Open();
    EXPECT_EQ(calls.inits, std::vector<int>{kObjectsPage});
    auto* tabs = sheet->findChild<QTabWidget*>();
    for (int page : {kStatsPage, kObjectsPage, kRenderPage, kStatsPage})
        tabs->setCurrentIndex(page);
    EXPECT_EQ(calls.inits, (std::vector<int>{kObjectsPage, kStatsPage, kRenderPage}));
    sheet->close();
}

TEST_F(SheetTest, ShowsWhatThePagesAnswer) {
    calls.initAnswer = {{kTexturesBox, 0, true}, {kStoolBox, 1, false}, {kStereoSlider, 33}};
    auto sheet = Open();
    auto* textures = FindByText<QAbstractButton>(*sheet, "Render textures");
    auto* stools = FindByText<QAbstractButton>(*sheet, "Stools");
    EXPECT_FALSE(textures->isChecked());
    EXPECT_TRUE(stools->isChecked());
    EXPECT_FALSE(stools->isEnabled());
    sheet->findChild<QTabWidget*>()->setCurrentIndex(kStereo3DPage);
    EXPECT_EQ(SliderOnTab(*sheet, kStereo3DPage)->value(), 33);
    EXPECT_TRUE(calls.controls.empty());  // filling reports nothing back

    calls.controlAnswer = {{kStoolBox, 0, true}};
    textures->click();
    EXPECT_EQ(calls.controls.back(), std::make_pair(kTexturesBox, 1));
    EXPECT_TRUE(stools->isEnabled());
    EXPECT_FALSE(stools->isChecked());
    sheet->close();
}

TEST_F(SheetTest, SlidersReportEveryScrollAndAPressThatDoesNotMove) {
    auto sheet = Open();
    auto* tabs = sheet->findChild<QTabWidget*>();
    tabs->setCurrentIndex(kLightsPage);
    QSlider* ambient = SliderOnTab(*sheet, kLightsPage);
    ambient->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(calls.controls.back(), std::make_pair(kAmbientSlider, ambient->value()));
    const std::size_t before = calls.controls.size();
    emit ambient->sliderPressed();
    EXPECT_EQ(calls.controls.size(), before + 1);
    EXPECT_EQ(calls.controls.back(), std::make_pair(kAmbientSlider, ambient->value()));
    sheet->close();
}

TEST_F(SheetTest, TheAudioLevelNeverGoesBelowOne) {
    calls.initAnswer = {{kMusicDetectSlider, 0}};
    auto sheet = Open();
    sheet->findChild<QTabWidget*>()->setCurrentIndex(kAudioPage);
    QSlider* level = SliderOnTab(*sheet, kAudioPage);
    EXPECT_EQ(level->minimum(), 1);
    EXPECT_EQ(level->maximum(), 100);
    level->triggerAction(QAbstractSlider::SliderToMinimum);
    for (const auto& [id, value] : calls.controls) EXPECT_GE(value, 1);
    sheet->close();
}

struct EndCase {
    const char* name;
    std::function<void(QDialog&)> end;
    int oks;
    int cancels;
};

void PressEscape(QDialog& d) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&d, &press);
}

const EndCase kEndCases[] = {
    {"Ok", [](QDialog& d) { FindByText<QPushButton>(d, "OK")->click(); }, 1, 0},
    {"Cancel", [](QDialog& d) { FindByText<QPushButton>(d, "Cancel")->click(); }, 0, 1},
    {"Escape", PressEscape, 0, 1},
    {"CloseBox", [](QDialog& d) { d.close(); }, 0, 1},
};

class SheetEndTest : public SheetTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(SheetEndTest, EndsOnceAndGoes) {
    auto sheet = Open();
    EXPECT_EQ(open, 1);
    GetParam().end(*sheet);
    EXPECT_EQ(open, 0);
    EXPECT_TRUE(ProcessEventsUntil([&] { return sheet.isNull(); }));
    EXPECT_EQ(calls.oks, GetParam().oks);
    EXPECT_EQ(calls.cancels, GetParam().cancels);
    EXPECT_EQ(calls.destroys, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, SheetEndTest, ::testing::ValuesIn(kEndCases), CaseName());

TEST_F(SheetTest, GoingWithTheMainWindowEndsItOnceWithoutOkOrCancel) {
    {
        QWidget mainWindow;
        auto* sheet = new CPreferencesSheet(std::make_unique<RecordingPages>(calls));
        ui::ShowModeless(sheet, &mainWindow, open);
    }
    EXPECT_EQ(calls.destroys, 1);
    EXPECT_EQ(calls.oks + calls.cancels, 0);
}

}  // namespace
