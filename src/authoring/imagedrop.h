#pragma once

#include <QObject>
#include <QStringList>

#include <optional>

class PageContext;
class QWidget;
class UserDialogs;

// A picture dropped on the page becomes its <img> tag at the drop point, as any HTML editor does:
// the address written from the page's folder as 挿入 > ファイル名 writes it, the size read from
// the file, one undo step, and the caret left in the empty alternative text. A picture from
// outside the page's folder is offered for copying into it, so the link still works once the
// page is published. What a picture is, its own bytes and Qt's image reader say together, never
// its name. Refers to the page in front, the dialogs and the window; owns nothing.
class ImageDrop final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImageDrop)

public:
    // window: the parent of every question; becomes the parent.
    ImageDrop(PageContext &page, UserDialogs &dialogs, QWidget &window);

    // Puts the tag of the first dropped file at position of the text of the view in use (at the
    // caret when negative) when that file is a picture; false, touching nothing, when it is not.
    // Throws UserError when the file cannot be read or copied.
    bool drop(const QStringList &paths, int position);

private:
    // The file as the page's tag refers to it, after asking whether to copy it into the page's
    // folder; nullopt when the user cancelled.
    std::optional<QString> relativeAddress(const QString &image);
    void insertTag(const QString &tag, qsizetype altPosition, int position);

    PageContext &m_page;
    UserDialogs &m_dialogs;
    QWidget &m_window;
};
