#include "app/menubuilder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

QAction *MenuBuilder::makeAction(QWidget *owner, const MenuEntry &entry)
{
    auto *action = new QAction(entry.caption, owner);
    action->setObjectName(entry.name);
    action->setData(entry.tag);
    if (!entry.shortcut.isEmpty())
        action->setShortcut(QKeySequence(entry.shortcut, QKeySequence::PortableText));
    const QString handler = entry.handler;
    // The builder is gone by the time an item is clicked: the connection keeps its own copy.
    QObject::connect(action, &QAction::triggered, owner, [trigger = m_trigger, action, handler] {
        trigger(handler, action->data().toInt());
    });
    m_actions.insert(entry.name, action);
    return action;
}

void MenuBuilder::fillSubmenu(QMenu *menu, const MenuEntry &entry)
{
    menu->setObjectName(entry.name);
    menu->menuAction()->setObjectName(entry.name + QStringLiteral("Action"));
    m_actions.insert(entry.name, menu->menuAction());
    fill(menu, entry.items);
}

void MenuBuilder::fill(QMenuBar *bar, const QList<MenuEntry> &entries)
{
    for (const MenuEntry &entry : entries) {
        if (entry.isSubmenu()) {
            fillSubmenu(bar->addMenu(entry.caption), entry);
        } else {
            bar->addAction(makeAction(bar, entry));
        }
    }
}

void MenuBuilder::fill(QMenu *menu, const QList<MenuEntry> &entries)
{
    for (const MenuEntry &entry : entries) {
        if (entry.isSeparator()) {
            QAction *separator = menu->addSeparator();
            separator->setObjectName(entry.name);
            m_actions.insert(entry.name, separator);
        } else if (entry.isSubmenu()) {
            fillSubmenu(menu->addMenu(entry.caption), entry);
        } else {
            menu->addAction(makeAction(menu, entry));
        }
    }
}
