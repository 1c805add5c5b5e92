// The modeless dialogs of the running shell, opened by their commands: every way out runs the
// dialog's close path, so its open flag is cleared and its menu item opens it again.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/shell_state.h"
#include "app/velmoranth_app.h"
#include "app/velmoranth_shell.h"
#include "app/velmoranth_view.h"
#include "platform/gui/main_frame.h"
#include "render/frame_hooks.h"
#include "tests/app_shell/in_process.h"
#include "tests/gui/qt_app.h"
#include "tests/gui/x11_probe.h"

// The preferences sheet opens in this process as well: LeakSanitizer's stop-the-world at exit
// crashes now and then with Qt's widgets and Mesa's driver in one process, so this binary is
// checked for memory errors only; the dialogs' leaks are checked by their offscreen tests.
extern "C" int __lsan_is_turned_off() { return 1; }

namespace {

struct Way {
    const char* name;
    std::function<void(QDialog&)> leave;
};

void Press(QDialog& dialog, Qt::Key key) {
    QWidget* target = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

Way Click(const char* text) {
    return {text, [text](QDialog& d) {
                for (QPushButton* b : d.findChildren<QPushButton*>())
                    if (b->text() == text) b->click();
            }};
}

const Way kEscape{"Esc", [](QDialog& d) { Press(d, Qt::Key_Escape); }};
const Way kEnter{"Enter", [](QDialog& d) { Press(d, Qt::Key_Return); }};
// The close box, Alt+F4 and the window manager's Close: a close event.
const Way kCloseBox{"CloseBox", [](QDialog& d) { d.close(); }};

using App = CVelmoranthApp;

struct DialogCase {
    const char* title;
    int command;
    int App::*flag;
    std::vector<Way> ways;
};

const DialogCase kDialogs[] = {
    {"Audio Player", cmd::kMusicPlayer, &App::MusicPlayerOpen, {Click("Close"), kEscape, kCloseBox}},
    {"Preferences", cmd::kPreferences, &App::PreferencesOpen,
     {Click("OK"), Click("Cancel"), kEscape, kCloseBox}},
    {"Cam Adj", cmd::kAdjCamera, &App::CamAdjustOpen, {kEscape, kEnter, kCloseBox}},
    {"About velmoranth", cmd::kAbout, &App::AboutOpen, {Click("OK"), kEscape, kEnter, kCloseBox}},
    {"Quit Confirm", cmd::kQuit, &App::QuitDialogOpen, {Click("Cancel"), kEscape, kCloseBox}},
};

// The shown dialog with this title, or nullptr.
QDialog* Shown(VelmoranthShell& shell, const char* title) {
    for (QDialog* d : shell.Frame()->findChildren<QDialog*>())
        if (d->isVisible() && d->windowTitle() == title) return d;
    return nullptr;
}

// The menu item of a command as its popup shows it, after the popup's update rules ran.
QAction* MenuItemOf(VelmoranthShell& shell, int command) {
    for (QAction* popup : shell.Frame()->menuBar()->actions()) {
        emit popup->menu()->aboutToShow();
        for (QAction* item : popup->menu()->actions())
            if (!item->menu() && item->data().toInt() == command) return item;
    }
    return nullptr;
}

TEST(DialogsShell, EveryWayOutOfEveryDialogRunsItsClosePath) {
    InProcessShell inRunFolder;
    HoldGlDriverForTheProcess();
    ShellQtApp qt;
    VelmoranthShell shell;
    ASSERT_TRUE(shell.InitInstance());
    ASSERT_TRUE(ProcessEventsUntil([&] { return shell.View()->FramesDrawn() >= 5; }, 60000));

    for (const DialogCase& dialog : kDialogs) {
        for (const Way& way : dialog.ways) {
            SCOPED_TRACE(std::string(dialog.title) + " by " + way.name);
            QAction* item = MenuItemOf(shell, dialog.command);
            ASSERT_NE(item, nullptr);
            ASSERT_TRUE(item->isEnabled());
            item->trigger();
            QPointer<QDialog> shown = Shown(shell, dialog.title);
            ASSERT_FALSE(shown.isNull());
            EXPECT_EQ(theApp.*dialog.flag, 1);
            EXPECT_FALSE(MenuItemOf(shell, dialog.command)->isEnabled());

            way.leave(*shown);
            EXPECT_EQ(theApp.*dialog.flag, 0);
            EXPECT_TRUE(MenuItemOf(shell, dialog.command)->isEnabled());
            EXPECT_TRUE(ProcessEventsUntil([&] { return shown.isNull() || !shown->isVisible(); }));
            EXPECT_EQ(Shown(shell, dialog.title), nullptr);
        }
    }
    EXPECT_EQ(ShutDownStarted, 0);  // no way out but Quit ends the program
    shell.Seams().quitNow();
}

}  // namespace
