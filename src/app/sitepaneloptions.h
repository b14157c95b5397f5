#pragma once

#include <QByteArray>
#include <QString>

// What the site panel remembers between runs: whether it shows, whether hidden files show in
// it, and the folder chosen with ファイル → サイトのフォルダを開く. Kept in a small file of its own
// in the data folder beside window.ini; a value the file lacks or does not hold plainly keeps its
// default (hidden, no hidden files, no folder).
struct SitePanelOptions
{
    static inline const QString kFileName = QStringLiteral("sitepanel.ini");

    bool shown = false;
    bool hiddenFiles = false;
    QString openedFolder;

    static SitePanelOptions parse(const QByteArray &text);
    QByteArray toText() const;

    // The defaults when the file is missing, unreadable or damaged.
    static SitePanelOptions read(const QString &path);
    // Replaces the file atomically; throws UserError when it cannot be written.
    void write(const QString &path) const;

    bool operator==(const SitePanelOptions &) const = default;
};
