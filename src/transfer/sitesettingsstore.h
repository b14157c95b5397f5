#pragma once

#include "transfer/sectionfile.h"
#include "transfer/sitesettings.h"

#include <QString>
#include <QStringList>

// The per-site connection settings (RODav-sites.ini in the data folder), one section per site
// keyed by the site's registered name. A site without a section reads as an older one
// (SiteSettings::forOlderSite). Keys this program does not know are kept as they are, so a
// later field added by a newer program survives this one. Damage is SectionFile's rule: what
// could be read is used, and the file is kept as RODav-sites.ini.bak before it is replaced.
class SiteSettingsStore
{
public:
    static inline const QString kFileName = QStringLiteral("RODav-sites.ini");

    // Throws UserError when the file exists but cannot be read; the store is then empty.
    void load(const QString &path);
    // Atomically, readable by its owner only. Throws UserError on failure.
    void write(const QString &path);

    bool contains(const QString &site) const { return m_file.contains(site); }
    SiteSettings settings(const QString &site) const;
    void store(const QString &site, const SiteSettings &settings);
    // The site's registered name changed: its settings go with it.
    void rename(const QString &from, const QString &to) { m_file.rename(from, to); }
    void remove(const QString &site) { m_file.remove(site); }

    bool modified() const { return m_file.modified(); }
    bool damaged() const { return m_file.damaged(); }
    // The sites whose connection security the file names in no way this program knows (a
    // typing error, a newer program's choice). They connect with FTPS: read as plain FTP, a
    // site whose warning is off would send its password in clear without a word.
    QStringList unknownSecurity() const { return m_unknownSecurity; }

private:
    SectionFile m_file;
    QStringList m_unknownSecurity;
};
