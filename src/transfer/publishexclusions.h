#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What 更新分を公開 leaves out, on this computer and on the server alike: the site's own list
// of name patterns, which the user edits (.git/ Thumbs.db *~ …), and the program's own files,
// which are no part of any site: the temporary names of its uploads and the preview copies the
// editor writes beside pages. A pattern is a name with "*" and "?", compared without regard to
// the letter case of A to Z (files come from Windows as often as not); ending in "/" it names
// folders only; holding a "/" elsewhere it is a path from the site's root. A left-out folder
// is left out with all it holds.
class PublishExclusions
{
public:
    // Whether a local file (a full path, in the file system's bytes) is a preview copy the
    // editor wrote.
    using PreviewCopyCheck = std::function<bool(const QByteArray &localPath)>;

    // The list a site starts with.
    static QString defaultPatterns();

    // The program's own files alone.
    PublishExclusions() = default;
    // patterns: separated by blanks, as the user wrote them.
    explicit PublishExclusions(const QString &patterns, PreviewCopyCheck previewCopy = {});

    const QStringList &patterns() const { return m_patterns; }
    // The patterns as one line, for the site's settings and the dialog.
    static QString joined(const QStringList &patterns);
    static QStringList split(const QString &patterns);

    // Why the entry at path (below the site's root, "/" between names) is left out: the
    // pattern or the kind of the program's file; nothing when it is published. localPath: the
    // entry's full local path; empty for an entry on the server.
    std::optional<QString> reasonFor(const QByteArray &path, bool folder, const QByteArray &localPath = {}) const;

    // The name a file goes up under before it takes its own name, and whether a name is one.
    static QByteArray temporaryName(const QByteArray &name);
    static bool isTemporaryName(const QByteArray &name);

private:
    struct Rule
    {
        QByteArray pattern; // UTF-8, without a trailing "/"
        bool foldersOnly = false;
        bool wholePath = false;
        QString text; // as the user wrote it
    };

    QStringList m_patterns;
    QList<Rule> m_rules;
    PreviewCopyCheck m_previewCopy;
};
