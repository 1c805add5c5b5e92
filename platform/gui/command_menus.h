#pragma once
// Qt menus over a command table: each item carries its command id, every popup runs the update
// rules of its items each time it is about to show (so the first look already shows the
// rules' labels, checks and enable states), then drops the items the prune names. Qt only
// shows the commands; what they do lives with the caller. UI thread only.

#include <QPoint>
#include <functional>
#include <vector>

#include "platform/gui/menu_entry.h"

class QMenu;
class QMenuBar;
class QWidget;

namespace pgui {

struct CommandHooks {
    std::function<void(int id)> run;
    std::function<ItemState(int id)> update;
    std::function<bool(int id)> pruned;              // removed for good when true
    std::function<std::vector<MenuEntry>()> refill;  // the items of a refilled popup
};

class CommandMenus {
  public:
    explicit CommandMenus(CommandHooks hooks) : m_hooks(std::move(hooks)) {}

    // Adds the popups to the menu bar.
    void Fill(QMenuBar* bar, const std::vector<MenuEntry>& popups);
    // Shows a popup of these items at a screen point until it closes; its command runs after.
    void Track(QWidget* parent, const std::vector<MenuEntry>& items, QPoint at);
    // Runs the update rules and the prune on one popup, as its opening does.
    void Refresh(QMenu* menu);

  private:
    void AddItems(QMenu* menu, const std::vector<MenuEntry>& items);
    void Connect(QMenu* menu, bool refilled);

    CommandHooks m_hooks;
};

}  // namespace pgui
