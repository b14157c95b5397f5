#pragma once

#include "workspace/sitefilekind.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// A site on this computer: a local folder (its root) and the pages and files under it, as every
// command that works on the site sees them. Paths inside the site are relative to the root with
// "/" between names and kept as the file system's bytes, so a name in another encoding than the
// system's (CP932 from a Windows archive) is a file of the site like any other. What is no part
// of the site is left out in one place: the program's own files (the preview copies written
// beside pages) and whatever the site's exclusion list names. Holds the root and the list; reads
// the disk only when asked.
class Site
{
public:
    // Whether the entry at path (relative, "/" between names) is on the site's exclusion list.
    using Exclusion = std::function<bool(const QByteArray &path, bool folder)>;

    enum class HiddenFiles {
        Left,  // names starting with "." are left out, as a file manager leaves them
        Shown, // they are part of the listing
    };

    struct Entry
    {
        QByteArray path; // relative to the root
        SiteFileKind kind = SiteFileKind::Other;

        bool operator==(const Entry &) const = default;
    };

    // Bounds on a walk: a tree deeper or larger than this is a loop or a folder chosen by mistake
    // (the whole home folder), and walking on would only end when memory does.
    struct Limits
    {
        int maxDepth = 32;
        qsizetype maxEntries = 200000;
    };

    // No site.
    Site() = default;
    // root: a local folder; exclusion: none leaves out only the program's own files.
    explicit Site(const QString &root, Exclusion exclusion = {});

    bool isNull() const { return m_root.isEmpty(); }
    // The root, cleaned, without a trailing "/" (except the file system's own root).
    const QString &root() const { return m_root; }

    // The path inside the site of a local path, the root itself being empty; nullopt when the
    // path lies outside (a folder reached through a link counts where it really is).
    std::optional<QByteArray> pathOf(const QString &localPath) const;
    bool contains(const QString &localPath) const { return pathOf(localPath).has_value(); }
    // The local path of a path inside the site.
    QString localPath(const QByteArray &path) const;

    // Whether the entry at path is no part of the site: one of the program's own files or on
    // the exclusion list. A left-out folder is left out with all it holds.
    bool isLeftOut(const QByteArray &path, bool folder) const;
    // Whether a listing of the site shows the entry at path: not left out, and not hidden
    // (a name starting with ".", or inside such a folder) unless hidden files are shown.
    bool shows(const QByteArray &path, bool folder, HiddenFiles hidden) const;

    // Every folder and file of the site, each folder before what it holds, the names of one
    // folder in byte order. Links are not followed (a link to a parent would loop, one to a
    // private folder would put it on the site) and are left out with devices and sockets, as is
    // a folder that cannot be read. Throws UserError when the root cannot be read or the limits
    // are passed.
    QList<Entry> entries(HiddenFiles hidden, const Limits &limits) const;
    QList<Entry> entries(HiddenFiles hidden = HiddenFiles::Left) const { return entries(hidden, Limits()); }
    // The entries of one folder of the site (its path inside the site) whose names are not
    // UTF-8, which the desktop's file dialogs and Qt's file system model cannot name and so do
    // not show; by name in byte order. Empty when the folder cannot be read.
    QList<QByteArray> namesNotUtf8(const QByteArray &folder, HiddenFiles hidden = HiddenFiles::Left) const;
    // The pages alone, in the same order.
    QList<Entry> pages(HiddenFiles hidden = HiddenFiles::Left) const;
    // The files whose text the site's search and replace go through, in the same order: the
    // pages, style sheets, scripts and plain texts.
    QList<Entry> textFiles(HiddenFiles hidden = HiddenFiles::Left) const;

    // How a file at from (a path inside the site) refers to the entry at to: "../img/a.gif";
    // an empty to is the root, written "./" from a page at the top.
    static QByteArray relativePath(const QByteArray &from, const QByteArray &to);
    // A name or path as the screen shows it: UTF-8 when it is valid UTF-8, else CP932.
    static QString displayName(const QByteArray &name);
    static bool isHiddenName(const QByteArray &name) { return name.startsWith('.'); }

private:
    QList<Entry> entriesWhere(HiddenFiles hidden, bool (*wanted)(const Entry &)) const;

    QString m_root;
    QByteArray m_rootBytes;
    QByteArray m_canonicalRoot;
    Exclusion m_exclusion;
};
