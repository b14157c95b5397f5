#pragma once

#include "common/textcodec.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextDocument>

// The open page: the one owner of its identity (the file it is, empty while untitled; the
// format and encoding it is written back in; the read mode for the next file) and the one place
// that says when the page changed. The text itself stays in the editor's QTextDocument, which
// this follows: the modified flag is that document's own, and each change of its characters
// (or of the formats stored with them) counts one revision. Neither costs more per key than a
// counter: whoever needs the text pulls it when it needs it. Refers to the text; owns nothing.
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

    // The text the editor shows the page in; followed from now on. Another text object taking
    // over (the editor changed views) is not itself an edit: what is put into it counts.
    void attach(QTextDocument *text);
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
    QPointer<QTextDocument> m_text;
    QMetaObject::Connection m_contentsChange;
    QMetaObject::Connection m_modificationChange;
    quint64 m_revision = 0;
};
