#pragma once

#include <QHash>
#include <QString>

#include <optional>

// The files and folders of a site by their paths inside it as text ("img/a.png"), and where an
// address written in one of its files leads: to a file that is there, one whose name differs
// only in letter case (found on the user's PC, never on the server), one that is missing, a
// place outside the site's folder, or the user's own disk. Addresses on the web are not the
// site's. Only the list it was given is consulted; nothing is read from the disk.
class SiteIndex
{
public:
    enum class Outcome {
        NotLocal, // http:, mailto:, //host, an empty address …
        Self,     // "#part" or "?query": the file itself
        Found,
        CaseDiffers, // path holds the name as it is
        Missing,
        Outside,   // above the site's folder
        LocalPath, // file:, C:\…, /home/…
    };

    struct Target
    {
        Outcome outcome = Outcome::NotLocal;
        QString path;     // the file led to, as it is in the site: a folder's index page; as written when missing
        QString fragment; // after "#", percent-decoded; empty when none
    };

    void add(const QString &path, bool folder);
    bool contains(const QString &path) const { return m_entries.contains(path); }

    // from: the path of the file the address is written in.
    Target resolve(const QString &from, const QString &address) const;
    // The page a visitor comes to first: index.html or index.htm at the top.
    std::optional<QString> topPage() const;

private:
    // A folder stands for its index page, as the server shows it.
    QString pageOf(const QString &path) const;
    std::optional<QString> indexPageIn(const QString &folder) const;

    QHash<QString, bool> m_entries;  // path: folder or not
    QHash<QString, QString> m_lower; // lower-case path: the path as it is
};
