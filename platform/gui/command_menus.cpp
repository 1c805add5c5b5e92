#include "platform/gui/command_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <memory>

namespace pgui {

namespace {

constexpr const char kRefilled[] = "velmoranthRefilled";

int IdOf(const QAction* action) { return action->data().toInt(); }

void Apply(QAction* action, const ItemState& state) {
    action->setEnabled(state.enabled);
    // Checkable only while checked: Qt draws an empty box beside an unchecked checkable item.
    action->setCheckable(state.check == 1);
    action->setChecked(state.check == 1);
    if (!state.label.empty()) action->setText(QString::fromStdString(state.label));
}

}  // namespace

void CommandMenus::Fill(QMenuBar* bar, const std::vector<MenuEntry>& popups) {
    for (const MenuEntry& popup : popups) {
        QMenu* menu = bar->addMenu(QString::fromStdString(popup.text));
        AddItems(menu, popup.children);
        Connect(menu, popup.refilled);
    }
}

void CommandMenus::Track(QWidget* parent, const std::vector<MenuEntry>& items, QPoint at) {
    QMenu menu(parent);
    AddItems(&menu, items);
    Refresh(&menu);
    // The command runs after the popup has gone, as a menu command does.
    const QAction* chosen = menu.exec(at);
    if (chosen && chosen->isEnabled() && m_hooks.run) m_hooks.run(IdOf(chosen));
}

void CommandMenus::AddItems(QMenu* menu, const std::vector<MenuEntry>& items) {
    for (const MenuEntry& item : items) {
        if (!item.children.empty() || item.refilled) {
            QMenu* sub = menu->addMenu(QString::fromStdString(item.text));
            AddItems(sub, item.children);
            Connect(sub, item.refilled);
        } else if (item.id == 0 && item.text.empty()) {
            menu->addSeparator();
        } else {
            QAction* action = menu->addAction(QString::fromStdString(item.text));
            action->setData(item.id);
        }
    }
}

void CommandMenus::Connect(QMenu* menu, bool refilled) {
    menu->setProperty(kRefilled, refilled);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [this, menu] { Refresh(menu); });
    QObject::connect(menu, &QMenu::triggered, menu, [this, menu](QAction* action) {
        // A submenu's own triggered signal reaches its parents too: run the command once.
        if (action->parent() == menu && m_hooks.run) m_hooks.run(IdOf(action));
    });
}

void CommandMenus::Refresh(QMenu* menu) {
    if (menu->property(kRefilled).toBool() && m_hooks.refill) {
        menu->clear();
        AddItems(menu, m_hooks.refill());
    }
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        const int id = IdOf(action);
        if (action->menu() || action->isSeparator() || id == 0) continue;
        if (m_hooks.pruned && m_hooks.pruned(id)) {
            menu->removeAction(action);
            delete action;  // the menu owned it
            continue;
        }
        if (m_hooks.update) Apply(action, m_hooks.update(id));
    }
}

}  // namespace pgui
