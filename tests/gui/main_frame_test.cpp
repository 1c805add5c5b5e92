#include "platform/gui/main_frame.h"

#include <gtest/gtest.h>

#include <QRect>

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
