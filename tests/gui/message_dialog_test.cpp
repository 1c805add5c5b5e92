#include "platform/gui/message_dialog.h"

#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include "tests/gui/qt_app.h"
#include "tests/support/case_name.h"

namespace {

// What the dialog showed while it was open.
struct Seen {
    bool found = false;
    QString title;
    QString text;
    bool boxEnabled = false;
    bool transientForParent = false;
    QSize pictureSize;
};

// Once the modal dialog is up: records it, clicks the box `clicks` times, then OK. A dialog
// that never appears ends the wait by closing every window, so the test fails, not hangs.
void DriveDialog(QWidget* parent, int clicks, Seen& seen, int triesLeft = 500) {
    QTimer::singleShot(10, [=, &seen] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (triesLeft > 0) {
                DriveDialog(parent, clicks, seen, triesLeft - 1);
            } else {
                QApplication::closeAllWindows();
            }
            return;
        }
        auto* box = dialog->findChild<QCheckBox*>("dontDisplay");
        auto* ok = dialog->findChild<QPushButton*>("ok");
        auto* text = dialog->findChild<QLabel*>("text");
        auto* picture = dialog->findChild<QLabel*>("picture");
        if (!box || !ok || !text || !picture) {
            dialog->reject();
            return;
        }
        seen.found = true;
        seen.title = dialog->windowTitle();
        seen.text = text->text();
        seen.boxEnabled = box->isEnabled();
        seen.transientForParent = parent && dialog->windowHandle() &&
                                  dialog->windowHandle()->transientParent() == parent->windowHandle();
        seen.pictureSize = picture->pixmap().size();
        for (int i = 0; i < clicks; ++i) box->click();
        ok->click();
    });
}

struct ClickCase {
    const char* name;
    bool enabled;
    int clicks;
    std::vector<bool> want;  // the states passed on, one per click that counted
};
const ClickCase kClickCases[] = {
    {"TickOnce", true, 1, {true}},
    {"TickThenUntick", true, 2, {true, false}},  // each click is passed on, not only the last
    {"NoClick", true, 0, {}},
    {"DisabledBoxIgnoresClicks", false, 2, {}},
};

class MessageDialogClicks : public ::testing::TestWithParam<ClickCase> {};

TEST_P(MessageDialogClicks, EachClickOfTheBoxReachesTheCaller) {
    const ClickCase& c = GetParam();
    QWidget frame;
    frame.show();
    Seen seen;
    std::vector<bool> got;
    DriveDialog(&frame, c.clicks, seen);
    pgui::ShowMessageDialog(&frame, "I couldn't find Club.dat!", c.enabled,
                            [&got](bool ticked) { got.push_back(ticked); });

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, "Opps!");
    EXPECT_EQ(seen.text, "I couldn't find Club.dat!");
    EXPECT_EQ(seen.boxEnabled, c.enabled);
    EXPECT_TRUE(seen.transientForParent);
    EXPECT_EQ(seen.pictureSize, QSize(144, 165));
    EXPECT_EQ(got, c.want);
}
INSTANTIATE_TEST_SUITE_P(Cases, MessageDialogClicks, ::testing::ValuesIn(kClickCases),
                         CaseName());

TEST(MessageDialog, ShowsTextWithLineBreaksAndRunsWithoutParentOrHandler) {
    Seen seen;
    DriveDialog(nullptr, 1, seen);
    pgui::ShowMessageDialog(nullptr, "3D sound init error (-1). \n\n3D sound will not be available",
                            true, nullptr);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "3D sound init error (-1). \n\n3D sound will not be available");
}

}  // namespace
