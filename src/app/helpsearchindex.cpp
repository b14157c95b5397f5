#include "app/helpsearchindex.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr int kExcerptBefore = 12;
constexpr int kExcerptLength = 48;

QString decodeReferences(const QString &text)
{
    static const QRegularExpression reference(QStringLiteral("&(#x[0-9A-Fa-f]+|#[0-9]+|[A-Za-z]+);"));
    static const QList<std::pair<QString, QString>> named = {
        {QStringLiteral("amp"), QStringLiteral("&")},
        {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},
        {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},
        {QStringLiteral("nbsp"), QStringLiteral(" ")},
        {QStringLiteral("copy"), QStringLiteral("©")},
    };
    QString out;
    qsizetype last = 0;
    auto it = reference.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        out += QStringView(text).mid(last, match.capturedStart() - last);
        const QString body = match.captured(1);
        QString replacement = match.captured(0);
        if (body.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint code =
                body.startsWith(QLatin1String("#x")) ? body.mid(2).toUInt(&ok, 16) : body.mid(1).toUInt(&ok);
            if (ok && code > 0 && code <= 0x10FFFF)
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        } else {
            for (const auto &[name, value] : named) {
                if (body == name)
                    replacement = value;
            }
        }
        out += replacement;
        last = match.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

} // namespace

QString HelpSearchIndex::plainText(const QString &html)
{
    static const QRegularExpression hidden(QStringLiteral("<(script|style|title)\\b.*?</\\1\\s*>"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression comment(QStringLiteral("<!--.*?-->"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression space(QStringLiteral("\\s+"));
    QString text = html;
    text.remove(comment);
    text.remove(hidden);
    // A tag separates words (two table cells must not run together), but a space would break a
    // Japanese word set partly in bold, so only block-level boundaries become spaces.
    static const QRegularExpression blockTag(
        QStringLiteral("<(/?(p|div|h[1-6]|li|ul|ol|dl|dt|dd|tr|td|th|table|pre|blockquote)|br)\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    text.replace(blockTag, QStringLiteral(" "));
    text.remove(tag);
    text = decodeReferences(text);
    text.replace(space, QStringLiteral(" "));
    return text.trimmed();
}

QString HelpSearchIndex::titleOf(const QString &html)
{
    static const QRegularExpression title(QStringLiteral("<title\\b[^>]*>(.*?)</title\\s*>"),
                                          QRegularExpression::CaseInsensitiveOption
                                              | QRegularExpression::DotMatchesEverythingOption);
    const auto match = title.match(html);
    return match.hasMatch() ? decodeReferences(match.captured(1)).simplified() : QString();
}

QString HelpSearchIndex::folded(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

void HelpSearchIndex::addPage(const QString &url, const QString &html)
{
    Page page;
    page.url = url;
    page.title = titleOf(html);
    page.text = plainText(html);
    page.foldedText = folded(page.title + QLatin1Char(' ') + page.text);
    m_pages.append(page);
}

QList<HelpSearchIndex::Hit> HelpSearchIndex::find(const QString &query) const
{
    // Full-width spaces separate words as well as half-width ones; folding makes them alike.
    const QStringList words = folded(query).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<Hit> hits;
    if (words.isEmpty())
        return hits;
    for (const Page &page : m_pages) {
        int count = 0;
        bool all = true;
        for (const QString &word : words) {
            const int n = static_cast<int>(page.foldedText.count(word));
            if (n == 0) {
                all = false;
                break;
            }
            count += n;
        }
        if (!all)
            continue;
        // The excerpt comes from the page's own text when the word stands there as typed
        // (letter case aside), else from the folded text, which reads the same apart from widths.
        const QString typed = query.simplified().section(QLatin1Char(' '), 0, 0);
        qsizetype at = page.text.indexOf(typed, 0, Qt::CaseInsensitive);
        const QString body = at >= 0 || typed.isEmpty() ? page.text : page.foldedText;
        if (at < 0)
            at = std::max<qsizetype>(0, body.indexOf(words.first()));
        const qsizetype from = std::max<qsizetype>(0, at - kExcerptBefore);
        QString excerpt = body.mid(from, kExcerptLength);
        if (from > 0)
            excerpt.prepend(QStringLiteral("…"));
        if (from + kExcerptLength < body.size())
            excerpt.append(QStringLiteral("…"));
        hits.append({page.url, page.title, count, excerpt});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) { return a.count > b.count; });
    return hits;
}
