#include "pagecheck/siteindex.h"

#include "pagecheck/localtarget.h"

#include <QStringList>
#include <QUrl>

namespace {

QString decoded(const QString &text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

} // namespace

void SiteIndex::add(const QString &path, bool folder)
{
    m_entries.insert(path, folder);
    m_lower.insert(path.toLower(), path);
}

std::optional<QString> SiteIndex::indexPageIn(const QString &folder) const
{
    const QString prefix = folder.isEmpty() ? QString() : folder + QLatin1Char('/');
    for (const QLatin1StringView name : {QLatin1StringView("index.html"), QLatin1StringView("index.htm")}) {
        if (m_entries.contains(prefix + name))
            return prefix + name;
    }
    return std::nullopt;
}

std::optional<QString> SiteIndex::topPage() const
{
    if (const auto exact = indexPageIn({}))
        return exact;
    // "Index.html" is still the page the site was meant to open with.
    for (const QLatin1StringView name : {QLatin1StringView("index.html"), QLatin1StringView("index.htm")}) {
        if (const auto it = m_lower.constFind(name); it != m_lower.cend())
            return *it;
    }
    return std::nullopt;
}

QString SiteIndex::pageOf(const QString &path) const
{
    if (path.isEmpty() || m_entries.value(path))
        return indexPageIn(path).value_or(path);
    return path;
}

SiteIndex::Target SiteIndex::resolve(const QString &from, const QString &written) const
{
    const QString address = QString(written).replace(QLatin1String("&amp;"), QLatin1String("&")).trimmed();
    if (address.isEmpty())
        return {};
    if (LocalTarget::isAbsoluteLocal(address))
        return {Outcome::LocalPath, {}, {}};
    if (address.startsWith(QLatin1String("//")) || LocalTarget::hasScheme(address))
        return {};
    const qsizetype hash = address.indexOf(QLatin1Char('#'));
    const QString fragment = hash < 0 ? QString() : decoded(address.mid(hash + 1));
    const QString path = decoded(address.left(hash < 0 ? address.size() : hash).section(QLatin1Char('?'), 0, 0));
    if (path.isEmpty())
        return {Outcome::Self, from, fragment};

    QStringList parts;
    if (!path.startsWith(QLatin1Char('/')))
        parts = from.split(QLatin1Char('/')).mid(0, from.count(QLatin1Char('/')));
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (parts.isEmpty())
                return {Outcome::Outside, {}, fragment};
            parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    const QString target = parts.join(QLatin1Char('/'));
    if (target.isEmpty() || m_entries.contains(target))
        return {Outcome::Found, pageOf(target), fragment};
    if (const auto it = m_lower.constFind(target.toLower()); it != m_lower.cend())
        return {Outcome::CaseDiffers, pageOf(*it), fragment};
    return {Outcome::Missing, target, fragment};
}
