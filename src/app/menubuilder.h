#pragma once

#include "app/mainmenu.h"

#include <QHash>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// Turns menu tables into Qt menus: each entry becomes a QAction whose objectName is the entry's
// name, whose data is its tag and whose trigger calls back with the handler name and the tag.
class MenuBuilder
{
public:
    using Trigger = std::function<void(const QString &handler, int tag)>;

    explicit MenuBuilder(Trigger trigger) : m_trigger(std::move(trigger)) {}

    void fill(QMenuBar *bar, const QList<MenuEntry> &entries);
    void fill(QMenu *menu, const QList<MenuEntry> &entries);

    // Every action built so far by object name; submenus are listed by their menu action.
    const QHash<QString, QAction *> &actions() const { return m_actions; }

private:
    QAction *makeAction(QWidget *owner, const MenuEntry &entry);
    void fillSubmenu(QMenu *menu, const MenuEntry &entry);

    Trigger m_trigger;
    QHash<QString, QAction *> m_actions;
};
