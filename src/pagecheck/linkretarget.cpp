#include "pagecheck/linkretarget.h"

#include "pagecheck/localtarget.h"

#include <QList>
#include <QStringList>
#include <QUrl>

namespace {

// One name of a target's path, and how the address spells it (empty: the address does not,
// the name comes from the file's own folder or from the move).
struct Part
{
    QString name;
    QString written;
};

using Parts = QList<Part>;

QString decoded(const QString &segment)
{
    return QUrl::fromPercentEncoding(QString(segment).replace(QLatin1String("&amp;"), QLatin1String("&")).toUtf8());
}

Parts folderOf(const QString &file)
{
    Parts parts;
    const QStringList names = file.split(QLatin1Char('/'));
    for (qsizetype i = 0; i + 1 < names.size(); ++i)
        parts.append({names.at(i), {}});
    return parts;
}

Parts partsOf(const QString &path)
{
    Parts parts;
    for (const QString &name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        parts.append({name, {}});
    return parts;
}

// The target of a path written in a file whose folder is base; nullopt above the site's folder.
std::optional<Parts> resolve(const QString &path, Parts base)
{
    for (const QString &segment : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("."))
            continue;
        if (segment == QLatin1String("..")) {
            if (base.isEmpty())
                return std::nullopt;
            base.removeLast();
            continue;
        }
        base.append({decoded(segment), segment});
    }
    return base;
}

bool sameNames(const Parts &a, const Parts &b, Qt::CaseSensitivity cs)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).name.compare(b.at(i).name, cs) != 0)
            return false;
    }
    return true;
}

// The target once the move is made. A link whose letter case differs from the file's still
// reaches it on the user's PC, so it follows the file too; the names the move leaves alone
// keep the address's spelling.
Parts moved(const Parts &target, const LinkRetarget::Move &move)
{
    const Parts from = partsOf(move.from);
    const Parts to = partsOf(move.to);
    if (from.isEmpty() || target.size() < from.size()
        || !sameNames(target.mid(0, from.size()), from, Qt::CaseInsensitive))
        return target;
    qsizetype kept = 0;
    while (kept < from.size() && kept < to.size() && from.at(kept).name == to.at(kept).name)
        ++kept;
    return target.mid(0, kept) + to.mid(kept) + target.mid(from.size());
}

// A name the address does not spell yet, written in its manner: percent-encoded where it
// percent-encodes, else as it is but for what would end or break the address.
QString spelled(const Part &part, bool percentEncoded)
{
    if (!part.written.isEmpty())
        return part.written;
    if (percentEncoded)
        return QString::fromLatin1(QUrl::toPercentEncoding(part.name, "!$&'()*+,;=:@~"));
    QString name = part.name;
    name.replace(QLatin1Char('%'), QLatin1String("%25"));
    name.replace(QLatin1Char(' '), QLatin1String("%20"));
    name.replace(QLatin1Char('#'), QLatin1String("%23"));
    name.replace(QLatin1Char('?'), QLatin1String("%3F"));
    name.replace(QLatin1Char('"'), QLatin1String("%22"));
    name.replace(QLatin1Char('\''), QLatin1String("%27"));
    return name;
}

QString joined(const Parts &parts, bool percentEncoded)
{
    QStringList names;
    for (const Part &part : parts)
        names.append(spelled(part, percentEncoded));
    return names.join(QLatin1Char('/'));
}

// From the folder of a file to a target, the shortest way: up to the folder both share, then
// down.
QString relative(const Parts &folder, const Parts &target, bool percentEncoded)
{
    qsizetype shared = 0;
    while (shared < folder.size() && shared < target.size() && folder.at(shared).name == target.at(shared).name)
        ++shared;
    QStringList steps;
    for (qsizetype i = shared; i < folder.size(); ++i)
        steps.append(QStringLiteral(".."));
    const QString down = joined(target.mid(shared), percentEncoded);
    if (!down.isEmpty())
        steps.append(down);
    return steps.join(QLatin1Char('/'));
}

} // namespace

namespace LinkRetarget {

QString movedPath(const QString &path, const Move &move)
{
    if (path == move.from)
        return move.to;
    if (path.startsWith(move.from + QLatin1Char('/')))
        return move.to + path.mid(move.from.size());
    return path;
}

std::optional<QString> rewritten(const QString &address, const QString &fileBefore, const Move &move)
{
    if (address.isEmpty() || LocalTarget::isAbsoluteLocal(address) || address.startsWith(QLatin1String("//"))
        || LocalTarget::hasScheme(address))
        return std::nullopt;
    qsizetype pathEnd = address.size();
    for (const QChar stop : {QLatin1Char('?'), QLatin1Char('#')}) {
        const qsizetype at = address.indexOf(stop);
        if (at >= 0 && at < pathEnd)
            pathEnd = at;
    }
    const QString path = address.left(pathEnd);
    if (path.isEmpty())
        return std::nullopt; // the file itself, wherever it goes
    const bool rooted = path.startsWith(QLatin1Char('/'));
    const std::optional<Parts> before = resolve(path, rooted ? Parts() : folderOf(fileBefore));
    if (!before)
        return std::nullopt;
    const Parts after = moved(*before, move);
    const Parts folderNow = folderOf(movedPath(fileBefore, move));
    if (const std::optional<Parts> asWritten = resolve(path, rooted ? Parts() : folderNow);
        asWritten && sameNames(*asWritten, after, Qt::CaseSensitive))
        return std::nullopt;

    const bool percentEncoded = path.contains(QLatin1Char('%'));
    QString text =
        rooted ? QLatin1Char('/') + joined(after, percentEncoded) : relative(folderNow, after, percentEncoded);
    const bool folderForm = path.endsWith(QLatin1Char('/')) || after.isEmpty();
    if (folderForm && !text.isEmpty() && !text.endsWith(QLatin1Char('/')))
        text += QLatin1Char('/');
    if (text.isEmpty())
        text = QStringLiteral("./");
    else if (path.startsWith(QLatin1String("./")) && !text.startsWith(QLatin1String("../")) && !rooted
             && !text.startsWith(QLatin1String("./")))
        text.prepend(QStringLiteral("./"));
    return text + address.mid(pathEnd);
}

} // namespace LinkRetarget
