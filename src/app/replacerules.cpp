#include "app/replacerules.h"

namespace ReplaceRules {

namespace {

// The editor's text ends its lines with CR LF; with either of CR and LF counted as a line end, $
// stands before the pair, ^ after it, and no empty match falls between its two halves.
const QString kLineEnds = QStringLiteral("(*ANYCRLF)");

// Kanji, kana and the long-vowel marks, which the Unicode tables give no script of their own.
const QString kJapanese = QStringLiteral("\\p{Han}\\p{Hiragana}\\p{Katakana}\\x{30FC}\\x{FF70}");

QString bothSidesOf(const QString &characterClass)
{
    return QStringLiteral("(?<=[%1])[%1]").arg(characterClass);
}

// A word edge is any place not between two word characters of the same kind: two Japanese ones,
// or two others.
QString wordEdge()
{
    return QStringLiteral("(?!%1)(?!%2)").arg(bothSidesOf(kJapanese), bothSidesOf(QStringLiteral("^\\W") + kJapanese));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int digitValue(QChar c)
{
    return c.unicode() - u'0';
}

QString mistakeIn(const QRegularExpression &expression)
{
    return QStringLiteral("正規表現の %1 文字目に誤りがあります: %2")
        .arg(expression.patternErrorOffset() + 1)
        .arg(expression.errorString());
}

} // namespace

Pattern::Pattern(const QString &searchText, Options options) : m_options(options)
{
    const QString body = options.regex ? searchText : QRegularExpression::escape(searchText);
    QRegularExpression::PatternOptions flags =
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::MultilineOption;
    if (!options.matchCase)
        flags |= QRegularExpression::CaseInsensitiveOption;
    // Checked alone first, so the place of a mistake counts in what the user typed.
    const QRegularExpression own(body, flags);
    if (!own.isValid()) {
        m_error = mistakeIn(own);
        return;
    }
    const QString pattern =
        options.wholeWord ? wordEdge() + QStringLiteral("(?:") + body + QStringLiteral(")") + wordEdge() : body;
    m_expression = QRegularExpression(kLineEnds + pattern, flags);
    // Only a pattern that reaches past its own group can fail here; say what the engine says.
    if (!m_expression.isValid())
        m_error = mistakeIn(m_expression);
}

std::optional<Range> Pattern::firstFrom(const QString &text, int from, int passOverEmptyAt) const
{
    // The iterator already steps past an empty match the way a search for all of them must,
    // without halving a CR LF or a surrogate pair.
    QRegularExpressionMatchIterator matches = m_expression.globalMatch(text, from);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (match.capturedLength() == 0 && match.capturedStart() == passOverEmptyAt)
            continue;
        return Range{int(match.capturedStart()), int(match.capturedLength())};
    }
    return std::nullopt;
}

std::optional<Found> Pattern::findNext(const QString &text, Range selection) const
{
    if (!isValid())
        return std::nullopt;
    // Left where an empty match was found, the caret would find it again for ever.
    const int passOverEmptyAt = selection.length == 0 ? selection.start : -1;
    if (const std::optional<Range> below = firstFrom(text, selection.end(), passOverEmptyAt))
        return Found{*below, false};
    if (const std::optional<Range> fromTop = firstFrom(text, 0, -1))
        return Found{*fromTop, true};
    return std::nullopt;
}

std::optional<QRegularExpressionMatch> Pattern::matchExactly(const QString &text, Range range) const
{
    if (!isValid())
        return std::nullopt;
    QRegularExpressionMatch match = m_expression.match(
        text, range.start, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
    if (!match.hasMatch() || match.capturedLength() != range.length)
        return std::nullopt;
    return match;
}

QString Pattern::replacementFor(const QRegularExpressionMatch &match, const QString &with) const
{
    if (!m_options.regex)
        return with;
    const int groups = m_expression.captureCount();
    QString result;
    result.reserve(with.size());
    for (qsizetype i = 0; i < with.size(); ++i) {
        const QChar sign = with.at(i);
        const bool escapes = sign == QLatin1Char('\\') || sign == QLatin1Char('$');
        if (!escapes || i + 1 == with.size()) {
            result += sign;
            continue;
        }
        const QChar next = with.at(i + 1);
        if (next == sign) {
            result += sign;
            ++i;
            continue;
        }
        if (!isAsciiDigit(next)) {
            result += sign;
            continue;
        }
        int group = digitValue(next);
        ++i;
        // Two digits name a group only when there are that many: with fewer, $10 is group 1
        // followed by a 0.
        if (i + 1 < with.size() && isAsciiDigit(with.at(i + 1)) && group * 10 + digitValue(with.at(i + 1)) <= groups) {
            group = group * 10 + digitValue(with.at(i + 1));
            ++i;
        }
        result += match.captured(group);
    }
    return result;
}

QList<Edit> Pattern::replaceAll(const QString &text, const QString &with) const
{
    QList<Edit> edits;
    if (!isValid())
        return edits;
    QRegularExpressionMatchIterator matches = m_expression.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        edits.append({{int(match.capturedStart()), int(match.capturedLength())}, replacementFor(match, with)});
    }
    return edits;
}

QList<Range> Pattern::findAll(const QString &text) const
{
    QList<Range> found;
    if (!isValid())
        return found;
    QRegularExpressionMatchIterator matches = m_expression.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        found.append({int(match.capturedStart()), int(match.capturedLength())});
    }
    return found;
}

} // namespace ReplaceRules
