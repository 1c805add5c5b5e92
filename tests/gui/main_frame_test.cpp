#include "platform/gui/main_frame.h"

#include <gtest/gtest.h>

#include <QRect>

#include "tests/gui/qt_app.h"

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
