#include "app/sitesearchrules.h"

namespace SiteSearchRules {

namespace {

// The lines of a text met in increasing order of position: one walk through the text serves
// every match of the page, however many there are.
class LineWalk
{
public:
    explicit LineWalk(const QString &text) : m_text(text) {}

    void moveTo(qsizetype position)
    {
        for (qsizetype at = m_text.indexOf(QLatin1Char('\n'), m_start); at >= 0 && at < position;
             at = m_text.indexOf(QLatin1Char('\n'), m_start)) {
            m_start = at + 1;
            ++m_line;
        }
    }
    int line() const { return m_line; }
    QString text() const
    {
        qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_start);
        if (end < 0)
            end = m_text.size();
        QString line = m_text.mid(m_start, end - m_start).trimmed();
        if (line.size() > kLineTextLimit) {
            // Not between the halves of a character outside the BMP.
            qsizetype cut = kLineTextLimit;
            if (line.at(cut - 1).isHighSurrogate())
                --cut;
            line = line.left(cut) + QStringLiteral("…");
        }
        return line;
    }

private:
    const QString &m_text;
    qsizetype m_start = 0;
    int m_line = 1;
};

} // namespace

QList<Match> matchesIn(const ReplaceRules::Pattern &pattern, const QString &crlfText)
{
    QList<Match> matches;
    LineWalk lines(crlfText);
    for (const ReplaceRules::Range &range : pattern.findAll(crlfText)) {
        if (range.length == 0)
            continue;
        lines.moveTo(range.start);
        matches.append({lines.line(), lines.text(), range});
    }
    return matches;
}

QString rowText(const Match &match)
{
    return QStringLiteral("%1 行目: %2").arg(match.line).arg(match.lineText);
}

QString pageText(const QString &path, qsizetype count)
{
    return QStringLiteral("%1 (%2 件)").arg(path).arg(count);
}

QString progressText(int done, int total)
{
    return QStringLiteral("検索しています… (%1/%2)").arg(done).arg(total);
}

QString outcomeText(int pages, int matches, int skipped)
{
    QString text = matches == 0 ? QStringLiteral("見つかりませんでした")
                                : QStringLiteral("%1 ページで %2 件見つかりました").arg(pages).arg(matches);
    if (skipped > 0)
        text += QStringLiteral("（テキストとして読めない %1 ファイルは飛ばしました）").arg(skipped);
    return text;
}

QString noSiteText()
{
    return QStringLiteral("サイトがありません。ファイル → サイトのフォルダを開く で選んでください");
}

} // namespace SiteSearchRules
