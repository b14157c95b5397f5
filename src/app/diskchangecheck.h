#pragma once

#include "workspace/diskstamp.h"

#include <QHash>
#include <QObject>

class Document;
class PageContext;
class UserDialogs;
class QWidget;

// Notices a page's file changed on disk by another program since the page was read or saved,
// when the window comes to the front or the page to the front of its tabs: a page without
// unsaved changes is read again (caret and scroll kept where they were); one with changes asks
// 再読み込み (read the file, losing them) or このまま (keep the page; asked again only after the
// next change on disk). A file that went is left to Save, which then asks for a name. Refers to
// the page in front, the dialogs and the window; keeps each page's stamp.
class DiskChangeCheck final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DiskChangeCheck)

public:
    static constexpr int kReload = 0;
    static constexpr int kKeep = 1;

    DiskChangeCheck(PageContext &front, UserDialogs &dialogs, QWidget &window);

    // Follows the page from now on: its stamp is taken whenever it becomes another file.
    void watch(Document &page);
    // The page was written or read: what is on disk now is the page's own.
    void stampFront();
    // The window or the page came to the front.
    void check();

    static QString question(const QString &path);

private:
    void reload();

    PageContext &m_front;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    QHash<const Document *, DiskStamp> m_stamps;
    bool m_checking = false;
};
