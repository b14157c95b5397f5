#include "transfer/sitesettingsstore.h"

#include <QStringList>

#include <array>
#include <optional>

namespace {

const QString kSecurityKey = QStringLiteral("security");
const QString kDataModeKey = QStringLiteral("dataMode");
const QString kPlainWarningKey = QStringLiteral("plainWarning");
const QString kLocalFolderKey = QStringLiteral("localFolder");
const QString kRemoteFolderKey = QStringLiteral("remoteFolder");
const QString kPublishExcludeKey = QStringLiteral("publishExclude");
const QString kKeyFileKey = QStringLiteral("keyFile");

// A path key: its text as it is, absent when the path is not set.
void storePath(SectionFile::Section &section, const QString &key, const QString &folder)
{
    if (folder.isEmpty())
        section.remove(key);
    else
        section.insert(key, folder);
}

// One table per field: the value each setting has in the file.
template<typename T>
struct Spelling
{
    T value;
    const char *text;
};

constexpr std::array<Spelling<ConnectionMethod>, 3> kSecurities{{
    {ConnectionMethod::Ftp, "plain"},
    {ConnectionMethod::Ftps, "explicit-tls"},
    {ConnectionMethod::Sftp, "sftp"},
}};
constexpr std::array<Spelling<DataConnectionMode>, 3> kDataModes{{
    {DataConnectionMode::Auto, "auto"},
    {DataConnectionMode::Passive, "passive"},
    {DataConnectionMode::Active, "active"},
}};
constexpr std::array<Spelling<bool>, 2> kSwitches{{
    {false, "on"},
    {true, "off"},
}};

template<typename T, std::size_t N>
QString spell(const std::array<Spelling<T>, N> &table, T value)
{
    for (const auto &row : table) {
        if (row.value == value)
            return QString::fromLatin1(row.text);
    }
    return {};
}

// The key's value read through the table; the fallback when the key is absent, nothing when
// its text is not one the table knows.
template<typename T, std::size_t N>
std::optional<T>
read(const std::array<Spelling<T>, N> &table, const SectionFile::Section &section, const QString &key, T fallback)
{
    if (!section.contains(key))
        return fallback;
    const QString text = section.value(key);
    for (const auto &row : table) {
        if (text == QLatin1String(row.text))
            return row.value;
    }
    return std::nullopt;
}

} // namespace

void SiteSettingsStore::load(const QString &path)
{
    m_unknownSecurity.clear();
    m_file.load(path);
    const SiteSettings defaults = SiteSettings::forOlderSite();
    const QStringList sites = m_file.sections().keys();
    for (const QString &site : sites) {
        const SectionFile::Section section = m_file.section(site);
        if (!read(kSecurities, section, kSecurityKey, defaults.security)) {
            m_file.replaceUnreadable(site, kSecurityKey, spell(kSecurities, ConnectionMethod::Ftps));
            m_unknownSecurity.append(site);
        }
        if (!read(kDataModes, section, kDataModeKey, defaults.dataMode))
            m_file.dropUnreadable(site, kDataModeKey);
        if (!read(kSwitches, section, kPlainWarningKey, defaults.plainWarningOff))
            m_file.dropUnreadable(site, kPlainWarningKey);
    }
}

void SiteSettingsStore::write(const QString &path)
{
    m_file.write(path);
}

SiteSettings SiteSettingsStore::settings(const QString &site) const
{
    const SiteSettings defaults = SiteSettings::forOlderSite();
    if (!m_file.contains(site))
        return defaults;
    const SectionFile::Section section = m_file.section(site);
    return {read(kSecurities, section, kSecurityKey, defaults.security).value_or(defaults.security),
            read(kDataModes, section, kDataModeKey, defaults.dataMode).value_or(defaults.dataMode),
            read(kSwitches, section, kPlainWarningKey, defaults.plainWarningOff).value_or(defaults.plainWarningOff),
            {section.value(kLocalFolderKey),
             section.contains(kPublishExcludeKey) ? section.value(kPublishExcludeKey) : defaults.site.exclusions},
            section.value(kRemoteFolderKey),
            section.value(kKeyFileKey)};
}

void SiteSettingsStore::store(const QString &site, const SiteSettings &settings)
{
    SectionFile::Section section = m_file.section(site); // keeps the keys it does not know
    section.insert(kSecurityKey, spell(kSecurities, settings.security));
    section.insert(kDataModeKey, spell(kDataModes, settings.dataMode));
    section.insert(kPlainWarningKey, spell(kSwitches, settings.plainWarningOff));
    storePath(section, kLocalFolderKey, settings.site.localRoot);
    storePath(section, kRemoteFolderKey, settings.remoteFolder);
    storePath(section, kKeyFileKey, settings.keyFile);
    // Kept even when empty: a list the user emptied is no list of defaults.
    section.insert(kPublishExcludeKey, settings.site.exclusions);
    m_file.setSection(site, section);
}
