#pragma once

#include <QList>
#include <QString>

// One entry of a menu as the program defines it: the object name, the caption shown exactly as
// written, the shortcut, the tag that tells the members of a family apart, and the name of the
// handler that runs it. A caption of "-" is a separator; an entry with items is a submenu.
struct MenuEntry
{
    QString name;
    QString caption;
    QString handler;
    int tag = 0;
    QString shortcut; // portable text, "Ctrl+O"
    QList<MenuEntry> items;

    bool isSeparator() const { return caption == QLatin1String("-"); }
    bool isSubmenu() const { return !items.isEmpty(); }
};

namespace MainMenu {

// The main window's menu bar, top-level menus in order.
QList<MenuEntry> menuBar();
// The editor's context menu (PopupMenu1).
QList<MenuEntry> editorPopup();

// The recent-file slots are the File menu's entries at these positions (separators count).
constexpr int kFirstRecentSlot = 7;
constexpr int kRecentSlotCount = 7;
QString recentSlotName(int index); // 0 -> mnuFavorit, 1 -> mnuFavorit1, ...
// A text shown as a menu caption exactly: an "&" in a path is shown, not taken as an access key.
QString menuCaption(const QString &text);

} // namespace MainMenu
