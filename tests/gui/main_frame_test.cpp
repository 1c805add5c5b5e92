#include "platform/gui/main_frame.h"

#include <gtest/gtest.h>

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

}  // namespace
