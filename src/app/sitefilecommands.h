#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;
class UserDialogs;

// What the site panel's pop-up menu does to the files of the site: a new page from the 基本形
// skeleton, a new folder, and 削除 to the desktop's trash after a question; for a new name or
// another folder it asks and checks, and the move itself (with the links to it) is the
// window's to make. Every
// name is asked through the dialogs and checked before anything is touched, and every failure
// is a UserError in words (a name that is taken, a folder that cannot be written, a trash that is
// not there). The page being edited keeps its name and stays on disk: renaming or removing it
// under the editor would lose the user's next save. Refers to the dialogs and the panel.
class SiteFileCommands
{
public:
    // isEdited: whether a path is the page being edited, or a folder holding it.
    SiteFileCommands(UserDialogs &dialogs, QWidget &panel, std::function<bool(const QString &path)> isEdited);

    // Each returns the path it made or renamed to; nullopt when the user cancelled.
    std::optional<QString> newPage(const QString &folder);
    std::optional<QString> newFolder(const QString &folder);
    // The path a new name or another folder gives the entry, checked; nullopt when cancelled
    // or nothing would change.
    std::optional<QString> askRename(const QString &path);
    std::optional<QString> askMove(const QString &path, const QString &siteRoot);
    // The path of the entry moved into folder (a drop), checked; nullopt when it is there already.
    std::optional<QString> checkedMove(const QString &path, const QString &folder) const;
    // True when the file or folder went to the trash.
    bool moveToTrash(const QString &path);

    // Why a name typed for a file or folder cannot be one, or empty.
    static QString invalidNameReason(const QString &name);

private:
    // The name typed, checked, with the path it gives in folder; nullopt when cancelled.
    std::optional<QString>
    askName(const QString &title, const QString &prompt, const QString &initial, const QString &folder);
    void refuseUntouchable(const QString &path, const QString &what) const;

    UserDialogs &m_dialogs;
    QWidget &m_panel;
    std::function<bool(const QString &path)> m_isEdited;
};
