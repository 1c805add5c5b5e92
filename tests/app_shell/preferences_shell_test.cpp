// File > Preferences in the running shell: the sheet opens from the menu, a change shows in the
// next frames and OK writes the settings file, or says why it cannot.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/velmoranth_app.h"
#include "app/velmoranth_shell.h"
#include "app/velmoranth_view.h"
#include "platform/gui/gl_view.h"
#include "platform/gui/main_frame.h"
#include "render/frame_hooks.h"
#include "render/scene_state.h"
#include "tests/app_shell/in_process.h"
#include "tests/app_shell/x_screen.h"
#include "tests/gui/qt_app.h"
#include "tests/gui/x11_probe.h"
#include "ui/preferences_sheet.h"

// LeakSanitizer's stop-the-world at exit crashes now and then in this process, on a dynamic
// TLS record it cannot read (Qt's widgets and Mesa's driver in one process). The sheet's leaks
// are checked by its offscreen tests; this binary is checked for memory errors only.
extern "C" int __lsan_is_turned_off() { return 1; }

namespace {

// The menu item with this label, after its popup's update rules have run; nullptr if none.
QAction* MenuItem(VelmoranthShell& shell, const char* label) {
    for (QAction* popup : shell.Frame()->menuBar()->actions()) {
        QMenu* menu = popup->menu();
        emit menu->aboutToShow();
        for (QAction* item : menu->actions())
            if (item->text() == label) return item;
    }
    return nullptr;
}

// The share of the view's pixels that are white, as the screen shows them.
double WhiteShare(VelmoranthShell& shell) {
    const ScreenGrab grab = GrabWindow(shell.View()->Window()->winId());
    if (grab.pixels.empty()) return -1.0;
    const auto white = std::count(grab.pixels.begin(), grab.pixels.end(), 0xFFFFFFu);
    return static_cast<double>(white) / static_cast<double>(grab.pixels.size());
}

// Lets frames be drawn until the screen's white share passes the test; the frames on their
// way to the screen may lag the globals. False if it never does.
template <class Test>
bool FramesShow(VelmoranthShell& shell, Test test) {
    return ProcessEventsUntil([&] { return test(WhiteShare(shell)); }, 30000);
}

TEST(PreferencesShell, OpensFromTheMenuActsAtOnceAndOkSavesOrSaysWhyNot) {
    InProcessShell inRunFolder;
    HoldGlDriverForTheProcess();
    ShellQtApp qt;
    VelmoranthShell shell;
    ASSERT_TRUE(shell.InitInstance());
    CVelmoranthView& view = *shell.View();
    ASSERT_TRUE(ProcessEventsUntil([&] { return view.FramesDrawn() >= 10; }, 60000));

    // Without the club the floor grid stands on white.
    QAction* hideClub = MenuItem(shell, "Hide &Club");
    ASSERT_NE(hideClub, nullptr);
    hideClub->trigger();
    EXPECT_TRUE(FramesShow(shell, [](double white) { return white > 0.3; }));

    QAction* preferences = MenuItem(shell, "Preferences ...");
    ASSERT_NE(preferences, nullptr);
    ASSERT_TRUE(preferences->isEnabled());
    preferences->trigger();
    const auto sheets = shell.Frame()->findChildren<CPreferencesSheet*>();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(sheets[0]->isVisible());
    EXPECT_EQ(theApp.PreferencesOpen, 1);
    EXPECT_FALSE(MenuItem(shell, "Preferences ...")->isEnabled());
    // Beside the scene, where its white page cannot count as the scene's.
    sheets[0]->move(0, 0);
    ASSERT_FALSE(sheets[0]->frameGeometry().intersects(shell.Frame()->frameGeometry()));

    // The sheet's first page shows the club again, from the next frame on.
    EXPECT_EQ(ShowClub, 1);
    EXPECT_TRUE(FramesShow(shell, [](double white) { return white >= 0 && white < 0.1; }));

    for (QPushButton* button : sheets[0]->findChildren<QPushButton*>())
        if (button->text() == "OK") button->click();
    EXPECT_EQ(theApp.PreferencesOpen, 0);
    EXPECT_TRUE(ProcessEventsUntil(
        [&] { return shell.Frame()->findChildren<CPreferencesSheet*>().empty(); }));
    std::ifstream file("Velmoranth.ini");
    const std::string written((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(written.rfind("Version 1\n", 0), 0u) << written;
    EXPECT_NE(written.find("Stereo3DScale "), std::string::npos) << written;
    EXPECT_TRUE(MenuItem(shell, "Preferences ...")->isEnabled());

    // An OK that cannot save says so, once, and leaves what is there as it is.
    std::filesystem::remove("Velmoranth.ini");
    std::filesystem::create_directory("Velmoranth.ini");
    MenuItem(shell, "Preferences ...")->trigger();
    const auto again = shell.Frame()->findChildren<CPreferencesSheet*>();
    ASSERT_EQ(again.size(), 1);
    ::testing::internal::CaptureStderr();
    for (QPushButton* button : again[0]->findChildren<QPushButton*>())
        if (button->text() == "OK") button->click();
    EXPECT_TRUE(ProcessEventsUntil(
        [&] { return shell.Frame()->findChildren<CPreferencesSheet*>().empty(); }));
    ProcessEventsUntil([] { return false; }, 500);  // the message follows the sheet's end
    const std::string err = ::testing::internal::GetCapturedStderr();
    const std::string message = "I couldn't save the settings in Velmoranth.ini.";
    const std::size_t first = err.find(message);
    EXPECT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find(message, first + 1), std::string::npos) << "shown more than once: " << err;
    EXPECT_NE(err.find("It is a folder, not a file."), std::string::npos) << err;
    EXPECT_TRUE(std::filesystem::is_directory("Velmoranth.ini"));

    shell.Seams().quitNow();
    EXPECT_EQ(ShutDownStarted, 1);
}

}  // namespace
