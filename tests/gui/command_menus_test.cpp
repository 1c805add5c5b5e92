// The command menus as Qt shows them: an item shows a check mark only while its rule checks it.

#include "platform/gui/command_menus.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <map>

#include "tests/gui/qt_app.h"

namespace {

// An unchecked item is drawn without the empty box that a checkable one gets.
TEST(CommandMenus, OnlyACheckedItemIsCheckable) {
    std::map<int, int> checks = {{1, -1}, {2, 0}, {3, 1}};
    pgui::CommandHooks hooks;
    hooks.update = [&checks](int id) { return pgui::ItemState{true, checks.at(id), {}}; };
    pgui::CommandMenus menus(hooks);
    QMenuBar bar;
    const auto entry = [](int id, const char* text) { return pgui::MenuEntry{id, text, {}, false}; };
    menus.Fill(&bar, {pgui::MenuEntry{
                         0, "Popup", {entry(1, "Plain"), entry(2, "Unchecked"), entry(3, "Checked")},
                         false}});
    QMenu* popup = bar.actions().at(0)->menu();
    ASSERT_NE(popup, nullptr);
    const auto item = [popup](int i) { return popup->actions().at(i); };

    menus.Refresh(popup);
    EXPECT_FALSE(item(0)->isCheckable());
    EXPECT_FALSE(item(1)->isCheckable());
    EXPECT_TRUE(item(2)->isCheckable());
    EXPECT_TRUE(item(2)->isChecked());

    // The rules turn over: the mark moves with them.
    checks = {{1, -1}, {2, 1}, {3, 0}};
    menus.Refresh(popup);
    EXPECT_TRUE(item(1)->isCheckable());
    EXPECT_TRUE(item(1)->isChecked());
    EXPECT_FALSE(item(2)->isCheckable());
    EXPECT_FALSE(item(2)->isChecked());
}

}  // namespace
