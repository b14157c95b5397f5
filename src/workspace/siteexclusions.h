#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What is no part of a site, on this computer and on the server alike: the site's own list of
// name patterns, which the user edits (.git/ Thumbs.db *~ …), and the program's own files, which
// are no part of any site: the temporary names of its uploads (the preview copies the editor
// writes beside pages are left out by the walks themselves). The site panel, 更新分を公開 and
// every command over the whole site leave out the same names. A pattern is a name with "*" and
// "?", compared without regard to the letter case of A to Z (files come from Windows as often as
// not); ending in "/" it names folders only; holding a "/" elsewhere it is a path from the site's
// root. A left-out folder is left out with all it holds.
class SiteExclusions
{
public:
    // The list a site starts with.
    static QString defaultPatterns();

    // The program's own files alone.
    SiteExclusions() = default;
    // patterns: separated by blanks, as the user wrote them.
    explicit SiteExclusions(const QString &patterns);

    const QStringList &patterns() const { return m_patterns; }
    // The patterns as one line, for the site's settings and the dialog.
    static QString joined(const QStringList &patterns);
    static QStringList split(const QString &patterns);

    // Why the entry at path (below the site's root, "/" between names) is left out: the
    // pattern or the kind of the program's file; nothing when it is published.
    std::optional<QString> reasonFor(const QByteArray &path, bool folder) const;

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
};
