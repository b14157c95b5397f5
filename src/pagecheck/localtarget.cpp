#include "pagecheck/localtarget.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

namespace {

// The first folders of the usual Unix and macOS layouts: an address starting there is on the
// user's disk, while any other "/…" is the site's own root on the server, which we cannot see.
bool startsAtLocalRoot(const QString &address)
{
    static const QStringList roots = {QStringLiteral("home"),
                                      QStringLiteral("Users"),
                                      QStringLiteral("root"),
                                      QStringLiteral("tmp"),
                                      QStringLiteral("mnt"),
                                      QStringLiteral("media"),
                                      QStringLiteral("usr"),
                                      QStringLiteral("var"),
                                      QStringLiteral("etc"),
                                      QStringLiteral("opt")};
    const QString first = address.section(QLatin1Char('/'), 1, 1);
    return roots.contains(first);
}

} // namespace

bool LocalTarget::hasScheme(const QString &address)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(address).hasMatch();
}

bool LocalTarget::isAbsoluteLocal(const QString &address)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    if (address.startsWith(QLatin1String("file:"), Qt::CaseInsensitive) || drive.match(address).hasMatch()
        || address.startsWith(QLatin1String("\\\\")))
        return true;
    return address.startsWith(QLatin1Char('/')) && !address.startsWith(QLatin1String("//"))
        && startsAtLocalRoot(address);
}

const QStringList &LocalTarget::entries(const QString &folder)
{
    auto it = m_listings.find(folder);
    if (it == m_listings.end()) {
        const QStringList names =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        it = m_listings.insert(folder, names);
    }
    return *it;
}

LocalTarget::Verdict LocalTarget::judge(const QString &written)
{
    auto it = m_verdicts.constFind(written);
    if (it == m_verdicts.cend())
        it = m_verdicts.insert(written, judgeAnew(written));
    return *it;
}

LocalTarget::Verdict LocalTarget::judgeAnew(const QString &written)
{
    const QString address = QString(written).replace(QLatin1String("&amp;"), QLatin1String("&")).trimmed();
    if (isAbsoluteLocal(address))
        return {Outcome::LocalPath, {}};
    if (m_folder.isEmpty() || address.isEmpty() || address.startsWith(QLatin1Char('#'))
        || address.startsWith(QLatin1Char('/')) || hasScheme(address))
        return {};
    QString path = address.section(QLatin1Char('#'), 0, 0).section(QLatin1Char('?'), 0, 0);
    path = QUrl::fromPercentEncoding(path.toUtf8());
    if (path.isEmpty())
        return {};
    QString folder = QDir::cleanPath(m_folder);
    Verdict verdict{Outcome::Found, {}};
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            folder = QDir::cleanPath(folder + QStringLiteral("/.."));
            continue;
        }
        const QStringList &names = entries(folder);
        if (names.contains(part)) {
            folder += QLatin1Char('/') + part;
            continue;
        }
        const auto sameLetters = std::find_if(names.cbegin(), names.cend(), [&](const QString &name) {
            return name.compare(part, Qt::CaseInsensitive) == 0;
        });
        if (sameLetters == names.cend())
            return {Outcome::Missing, {}};
        verdict = {Outcome::CaseDiffers, *sameLetters};
        folder += QLatin1Char('/') + *sameLetters;
    }
    return verdict;
}
