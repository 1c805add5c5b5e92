// The modeless dialogs: every way out clears the open flag and frees the dialog.

#include <gtest/gtest.h>

#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>

#include "tests/gui/qt_app.h"
#include "tests/support/case_name.h"
#include "ui/about_dialog.h"
#include "ui/dialog_support.h"
#include "ui/quit_confirm.h"

namespace {

struct CloseCase {
    const char* name;
    std::function<void(QDialog&)> close;
};

void PressEscape(QDialog& d) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&d, &press);
}

void ClickButton(QDialog& d, const char* text) {
    for (QPushButton* b : d.findChildren<QPushButton*>())
        if (b->text() == text) b->click();
}

const CloseCase kCloseCases[] = {
    {"Escape", PressEscape},
    {"CloseBox", [](QDialog& d) { d.close(); }},
    {"Cancel", [](QDialog& d) { ClickButton(d, "Cancel"); }},
    {"Quit", [](QDialog& d) { ClickButton(d, "Quit"); }},
};

class QuitConfirmTest : public ::testing::TestWithParam<CloseCase> {};

TEST_P(QuitConfirmTest, EveryWayOutClearsTheFlagAndFreesTheDialog) {
    QWidget owner;
    int open = 0;
    int quits = 0;
    QPointer<QDialog> dialog = new CQuitConfirm([&quits] { ++quits; });
    ui::ShowModeless(dialog, &owner, open);
    EXPECT_EQ(open, 1);
    EXPECT_EQ(dialog->parentWidget(), &owner);  // transient for the owner
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Quit Confirm");
    GetParam().close(*dialog);
    EXPECT_EQ(open, 0);
    EXPECT_EQ(quits, std::string(GetParam().name) == "Quit" ? 1 : 0);
    EXPECT_TRUE(ProcessEventsUntil([&] { return dialog.isNull(); }));
}

INSTANTIATE_TEST_SUITE_P(Cases, QuitConfirmTest, ::testing::ValuesIn(kCloseCases), CaseName());

TEST(AboutDialog, OkAndEscapeBothClearTheFlag) {
    QWidget owner;
    int open = 0;
    for (const auto& close :
         {std::function<void(QDialog&)>(PressEscape),
          std::function<void(QDialog&)>([](QDialog& d) { ClickButton(d, "OK"); })}) {
        QPointer<QDialog> dialog = new CAboutDlg;
        ui::ShowModeless(dialog, &owner, open);
        EXPECT_EQ(dialog->windowTitle().toStdString(), "About velmoranth");
        close(*dialog);
        EXPECT_EQ(open, 0);
        EXPECT_TRUE(ProcessEventsUntil([&] { return dialog.isNull(); }));
    }
}

}  // namespace
