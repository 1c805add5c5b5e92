#include "platform/gui/main_frame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QRect>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gui/gl_view.h"

#include "tests/gui/qt_app.h"
#include "tests/support/case_name.h"

namespace {

TEST(MainFrame, CloseRequestGoesToTheHookAndTheFrameStays) {
    pgui::MainFrame frame;
    int closes = 0;
    frame.SetCloseHook([&closes] { ++closes; });
    frame.show();
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame.isVisible(); }));

    EXPECT_FALSE(frame.close());
    EXPECT_FALSE(frame.close());
    EXPECT_EQ(closes, 2);  // the hook decides about the second request too
    EXPECT_TRUE(frame.isVisible());
}

TEST(MainFrame, WithoutAHookACloseRequestCloses) {
    pgui::MainFrame frame;
    frame.show();
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame.isVisible(); }));
    EXPECT_TRUE(frame.close());
    EXPECT_FALSE(frame.isVisible());
}

// Wherever the focus sits in the frame, a key reaches the view's hook once: on the view's own
// window, on its container (a click under a window manager) or on the frame itself.
struct KeyTargetCase {
    const char* name;
    std::function<QObject*(pgui::MainFrame&)> target;
};

const KeyTargetCase kKeyTargets[] = {
    {"View", [](pgui::MainFrame& f) -> QObject* { return f.View(); }},
    {"Container", [](pgui::MainFrame& f) -> QObject* { return f.centralWidget(); }},
    {"Frame", [](pgui::MainFrame& f) -> QObject* { return &f; }},
    // Left with the focus after its menu closed, not being navigated.
    {"MenuBar", [](pgui::MainFrame& f) -> QObject* { return f.menuBar(); }},
};

class KeyTargetTest : public ::testing::TestWithParam<KeyTargetCase> {};

TEST_P(KeyTargetTest, ReachesTheViewOnce) {
    pgui::MainFrame frame;
    std::vector<int> keys;
    std::vector<QPoint> menus;
    pgui::ViewHooks hooks;
    hooks.keyPress = [&keys](const pgui::ViewKey& key) { keys.push_back(key.key); };
    hooks.contextMenu = [&menus](int x, int y) { menus.emplace_back(x, y); };
    frame.SetView(std::make_unique<pgui::GlView>(hooks));
    QMenu* file = frame.menuBar()->addMenu("&File");  // F is also its mnemonic
    file->addAction("Quit");
    frame.show();
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame.isVisible(); }));

    QObject* target = GetParam().target(frame);
    const struct {
        int key;
        const char* text;
    } presses[] = {{Qt::Key_Q, "q"}, {Qt::Key_F, "f"}, {Qt::Key_Escape, ""}, {Qt::Key_Menu, ""}};
    for (const auto& p : presses) {
        QKeyEvent press(QEvent::KeyPress, p.key, Qt::NoModifier, p.text);
        QApplication::sendEvent(target, &press);
        EXPECT_TRUE(press.isAccepted()) << p.key;
    }
    EXPECT_EQ(keys, (std::vector<int>{Qt::Key_Q, Qt::Key_F, Qt::Key_Escape, Qt::Key_Menu}));
    EXPECT_EQ(menus.size(), 1u);  // the menu key opens the context menu once
    EXPECT_FALSE(file->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Targets, KeyTargetTest, ::testing::ValuesIn(kKeyTargets), CaseName());

struct PlacementCase {
    const char* name;
    QRect area;
    QRect placed;
};

class PlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, QuarterInHalfWideWithTheScreensProportions) {
    EXPECT_EQ(pgui::FirstPlacement(GetParam().area), GetParam().placed);
}

const PlacementCase kPlacementCases[] = {
    {"Example", QRect(0, 0, 1936, 1056), QRect(484, 211, 968, 528)},
    // Truncated, not rounded: a quarter of 1366 is 341.5 and 683 x 741 / 1366 is 370.5.
    {"OddSizes", QRect(0, 0, 1366, 741), QRect(341, 148, 683, 370)},
    // A panel at the left or top moves the area's origin, and the window with it.
    {"AreaBelowAPanel", QRect(64, 27, 1856, 1053), QRect(64 + 464, 27 + 210, 928, 526)},
};
INSTANTIATE_TEST_SUITE_P(Cases, PlacementTest, ::testing::ValuesIn(kPlacementCases), CaseName());

// A frame maximised before full screen comes back in the normal state, over the area the
// maximised frame had (the last windowed geometry it reported).
TEST(MainFrame, LeavingFullScreenGivesANormalFrameAtTheGivenGeometry) {
    pgui::MainFrame frame;
    QRect reported;
    frame.SetGeometryHook([&reported](const QRect& r) { reported = r; });
    frame.setGeometry(100, 100, 400, 300);
    frame.showMaximized();
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame.isMaximized() && reported.width() > 400; }));
    const QRect maximised = reported;

    frame.SetFullScreen(true, maximised);
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame.isFullScreen(); }));
    frame.SetFullScreen(false, maximised);
    EXPECT_TRUE(ProcessEventsUntil([&] { return frame.geometry() == maximised; }));
    EXPECT_EQ(frame.windowState(), Qt::WindowNoState);
}

}  // namespace
