#include "workspace/siteexclusions.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QByteArray kTemporaryPrefix = ".qzweb-";
const QByteArray kTemporarySuffix = ".part";

char folded(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// "*" any run of bytes, "?" any one byte, everything else itself (A to Z either case). The
// classic two-pointer walk: one star to return to is all a match without brackets needs.
bool globMatches(const QByteArray &pattern, const QByteArray &text)
{
    qsizetype p = 0;
    qsizetype t = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern.at(p) == '?' || folded(pattern.at(p)) == folded(text.at(t)))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern.at(p) == '*') {
            star = p++;
            resume = t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

QString SiteExclusions::defaultPatterns()
{
    return QStringLiteral(".git/ .svn/ .DS_Store Thumbs.db desktop.ini *~ *.bak");
}

SiteExclusions::SiteExclusions(const QString &patterns) : m_patterns(split(patterns))
{
    for (const QString &text : std::as_const(m_patterns)) {
        Rule rule;
        rule.text = text;
        rule.pattern = text.toUtf8();
        while (rule.pattern.endsWith('/')) {
            rule.pattern.chop(1);
            rule.foldersOnly = true;
        }
        while (rule.pattern.startsWith('/'))
            rule.pattern.remove(0, 1);
        rule.wholePath = rule.pattern.contains('/');
        if (!rule.pattern.isEmpty())
            m_rules.append(rule);
    }
}

QString SiteExclusions::joined(const QStringList &patterns)
{
    return patterns.join(u' ');
}

QStringList SiteExclusions::split(const QString &patterns)
{
    QStringList list;
    for (const QString &pattern : patterns.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (!list.contains(pattern))
            list.append(pattern);
    }
    return list;
}

std::optional<QString> SiteExclusions::reasonFor(const QByteArray &path, bool folder) const
{
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    if (!folder && isTemporaryName(name))
        return QStringLiteral("公開の途中の一時ファイル");
    for (const Rule &rule : m_rules) {
        if ((folder || !rule.foldersOnly) && globMatches(rule.pattern, rule.wholePath ? path : name))
            return QStringLiteral("除外: %1").arg(rule.text);
    }
    return std::nullopt;
}

QByteArray SiteExclusions::temporaryName(const QByteArray &name)
{
    return kTemporaryPrefix + name + kTemporarySuffix;
}

bool SiteExclusions::isTemporaryName(const QByteArray &name)
{
    return name.size() > kTemporaryPrefix.size() + kTemporarySuffix.size() && name.startsWith(kTemporaryPrefix)
        && name.endsWith(kTemporarySuffix);
}
