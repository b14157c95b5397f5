#pragma once

#include <QByteArray>
#include <QString>

// The user's choices about the page check, kept in a small file of the data folder beside
// editorview.ini: check while typing (チェックも自動で, off unless chosen) and ask before
// uploading a page with errors (on unless turned off), and let サイトチェック ask the site's
// external links (off unless chosen). A value the file lacks or does not hold plainly keeps its
// default.
struct PageCheckOptions
{
    static inline const QString kFileName = QStringLiteral("pagecheck.ini");

    bool checkWhileTyping = false;
    bool askBeforeUpload = true;
    bool checkExternalLinks = false;

    static PageCheckOptions parse(const QByteArray &text);
    QByteArray toText() const;

    // The defaults when the file is missing, unreadable or damaged.
    static PageCheckOptions read(const QString &path);
    // Replaces the file atomically; throws UserError when it cannot be written.
    void write(const QString &path) const;
    // Sets one choice in the file, keeping the others as the file holds them (several windows
    // keep choices there); throws UserError when it cannot be written.
    static void store(const QString &path, bool PageCheckOptions::*option, bool on);

    bool operator==(const PageCheckOptions &) const = default;
};
