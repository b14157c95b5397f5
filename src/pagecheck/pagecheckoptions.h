#pragma once

#include <QByteArray>
#include <QString>

// The user's choices about the page check, kept in a small file of the data folder beside
// editorview.ini: check while typing (チェックも自動で, off unless chosen) and ask before
// uploading a page with errors (on unless turned off). A value the file lacks or does not hold
// plainly keeps its default.
struct PageCheckOptions
{
    static inline const QString kFileName = QStringLiteral("pagecheck.ini");

    bool checkWhileTyping = false;
    bool askBeforeUpload = true;

    static PageCheckOptions parse(const QByteArray &text);
    QByteArray toText() const;

    // The defaults when the file is missing, unreadable or damaged.
    static PageCheckOptions read(const QString &path);
    // Replaces the file atomically; throws UserError when it cannot be written.
    void write(const QString &path) const;

    bool operator==(const PageCheckOptions &) const = default;
};
