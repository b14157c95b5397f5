#pragma once

#include "common/textcodec.h"

#include <QObject>
#include <QString>
#include <QTextDocument>

// The open page: the owner of its text and of its identity (the file it is, empty while
// untitled; the format and encoding it is written back in; the read mode for the next file),
// and the one place that says when the page changed. The tab's editor shows the text, laying it
// out as its view in use wants; the modified flag is the text's own, and each change of its
// characters (or of the formats stored with them) counts one revision. Neither costs more per
// key than a counter: whoever needs the text pulls it when it needs it.
class Document final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Document)

public:
    // What a changed() is about.
    enum class Aspect {
        Path,     // another file, or untitled
        Format,   // the stored format or encoding
        Modified, // the modified flag went on or off
        Revision, // the content changed; revision() counts on
    };
    Q_ENUM(Aspect)

    explicit Document(QObject *parent = nullptr);

    QString path() const { return m_path; }
    bool isUntitled() const { return m_path.isEmpty(); }
    void setPath(const QString &path);

    const TextFormat &format() const { return m_format; }
    void setFormat(const TextFormat &format);

    // Read mode: true reads every file as plain text. A setting for the next read, not a part of
    // the page, so it notifies nobody.
    bool readsPlainText() const { return m_plainText; }
    void setReadsPlainText(bool plain) { m_plainText = plain; }

    // A page of the last session whose file is read only when its tab first comes to the front:
    // until then its text is empty and stands for nothing, so whatever works on the pages' text
    // takes the file instead. Not a change of the page: it notifies nobody.
    bool isUnread() const { return m_unread; }
    void setUnread(bool unread) { m_unread = unread; }

    // The page's text; never null. Views show it but do not own it, so whatever shows it must
    // let go of it before the document goes.
    QTextDocument *text() const { return m_text; }

    bool isModified() const;
    quint64 revision() const { return m_revision; }

signals:
    void changed(Document::Aspect aspect);

private:
    QString m_path;
    TextFormat m_format;
    bool m_plainText = false;
    bool m_unread = false;
    void followChange(int position, int removed, int added);

    QTextDocument *m_text = nullptr;
    bool m_laidOutAnew = false;
    quint64 m_revision = 0;
};
