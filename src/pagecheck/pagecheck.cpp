#include "pagecheck/pagecheck.h"

#include "common/charsetdeclaration.h"
#include "pagecheck/checksentences.h"
#include "pagecheck/localtarget.h"
#include "pagecheck/sourcelines.h"
#include "pagecheck/tagscan.h"
#include "pagecheck/tidyreport.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <future>

namespace {

using Level = CheckRow::Level;

// Collects the rows of one run, placed by offset in the text or by tidy's line and column.
class RowCollector
{
public:
    explicit RowCollector(const QString &text) : m_lines(text) {}

    void addAt(qsizetype offset, const QByteArray &key, const QString &subject)
    {
        const SourceLines::Place place = m_lines.placeOf(offset);
        add(place.line,
            place.column,
            key,
            CheckSentences::find(key)->level,
            CheckSentences::sentence(key, subject, {}));
    }

    void addTidy(const TidyReport::Message &message)
    {
        static const QRegularExpression tag(QStringLiteral("</?[A-Za-z][^>\\s]*>"));
        static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
        const auto entry = CheckSentences::find(message.key);
        const Level level = entry
            ? entry->level
            : (message.severity == TidyReport::Message::Severity::Error ? Level::Error : Level::Caution);
        const QString subject = tag.match(message.text).captured();
        const QString detail = quoted.match(message.text).captured(1);
        add(message.line,
            m_lines.columnFromTidy(message.line, message.column),
            message.key,
            level,
            CheckSentences::sentence(message.key, subject, message.text, detail));
    }

    CheckRows take()
    {
        std::stable_sort(m_rows.begin(), m_rows.end(), [](const CheckRow &a, const CheckRow &b) {
            return std::pair(a.line, a.column) < std::pair(b.line, b.column);
        });
        return std::move(m_rows);
    }

private:
    void add(int line, int column, const QByteArray &key, Level level, const QString &sentence)
    {
        // tidy says some things twice (once parsing, once repairing).
        const QString keyText = QString::fromLatin1(key);
        if (!m_seen.contains({line, column, keyText})) {
            m_seen.insert({line, column, keyText});
            m_rows.append({level, line, column, keyText, sentence});
        }
    }

    struct Seen
    {
        int line;
        int column;
        QString key;
        bool operator==(const Seen &) const = default;
    };
    friend size_t qHash(const Seen &seen, size_t seed) { return qHashMulti(seed, seen.line, seen.column, seen.key); }

    SourceLines m_lines;
    CheckRows m_rows;
    QSet<Seen> m_seen;
};

bool isMeta(const TagScan::Tag &tag)
{
    return tag.name == QLatin1String("meta");
}

// The first charset declaration of the page: its name and where the name is written.
std::optional<std::pair<QString, qsizetype>> declaredCharset(const TagScan::Result &scan)
{
    static const QRegularExpression inContent(QStringLiteral("charset\\s*=\\s*([^\\s;\"']+)"),
                                              QRegularExpression::CaseInsensitiveOption);
    for (const TagScan::Tag &tag : scan.tags) {
        if (!isMeta(tag))
            continue;
        if (const auto *charset = tag.attribute(QStringLiteral("charset")))
            return std::pair(charset->value.trimmed(), charset->valueOffset);
        if (const auto *content = tag.attribute(QStringLiteral("content"))) {
            const QRegularExpressionMatch match = inContent.match(content->value);
            if (match.hasMatch())
                return std::pair(match.captured(1), content->valueOffset + match.capturedStart(1));
        }
    }
    return std::nullopt;
}

void checkCharset(const PageCheck::Input &input, const TagScan::Result &scan, RowCollector &rows)
{
    const QString wanted = PageCheck::charsetName(input.saveEncoding);
    const auto declared = declaredCharset(scan);
    if (!declared) {
        const auto head = std::find_if(scan.tags.cbegin(), scan.tags.cend(), [](const TagScan::Tag &tag) {
            return tag.name == QLatin1String("head");
        });
        rows.addAt(head == scan.tags.cend() ? 0 : head->offset, CheckSentences::kCharsetMissing, wanted);
        return;
    }
    const auto kind = CharsetDeclaration::classify(declared->first.toLatin1());
    const auto expected = input.saveEncoding == TextFormat::Encoding::Utf8 ? CharsetDeclaration::Declared::Utf8
                                                                           : CharsetDeclaration::Declared::ShiftJis;
    if (kind != expected)
        rows.addAt(declared->second, CheckSentences::kCharsetMismatch, wanted);
}

// <link rel="canonical" href="…">: the page's own address online.
bool isCanonicalLink(const TagScan::Tag &tag)
{
    const auto *rel = tag.attribute(QStringLiteral("rel"));
    return tag.name == QLatin1String("link") && rel
        && rel->value.trimmed().compare(QLatin1String("canonical"), Qt::CaseInsensitive) == 0;
}

QString declaredAddress(const TagScan::Result &scan)
{
    for (const TagScan::Tag &tag : scan.tags) {
        if (isCanonicalLink(tag) || tag.name == QLatin1String("base")) {
            if (const auto *href = tag.attribute(QStringLiteral("href")))
                return href->value.trimmed();
        }
        const auto *property = tag.attribute(QStringLiteral("property"));
        if (isMeta(tag) && property && property->value == QLatin1String("og:url")) {
            if (const auto *content = tag.attribute(QStringLiteral("content")))
                return content->value.trimmed();
        }
    }
    return {};
}

void judgeTarget(LocalTarget &targets, const QString &address, qsizetype offset, RowCollector &rows)
{
    const LocalTarget::Verdict verdict = targets.judge(address);
    switch (verdict.outcome) {
    case LocalTarget::Outcome::Missing:
        rows.addAt(offset, CheckSentences::kTargetMissing, address.trimmed());
        break;
    case LocalTarget::Outcome::CaseDiffers:
        rows.addAt(offset, CheckSentences::kTargetCase, verdict.actualName);
        break;
    case LocalTarget::Outcome::LocalPath:
        rows.addAt(offset, CheckSentences::kLocalPath, address.trimmed());
        break;
    case LocalTarget::Outcome::NotChecked:
    case LocalTarget::Outcome::Found:
        break;
    }
}

void checkTargets(const PageCheck::Input &input, const TagScan::Result &scan, RowCollector &rows)
{
    const QString address = input.pageAddress.isEmpty() ? declaredAddress(scan) : input.pageAddress;
    const bool securePage = address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    LocalTarget targets(input.folder);
    for (const TagScan::Tag &tag : scan.tags) {
        // A <base> or canonical address names the page online, not a file beside it.
        if (tag.name == QLatin1String("base") || isCanonicalLink(tag))
            continue;
        for (const TagScan::Attribute &attribute : tag.attributes) {
            if (attribute.name != QLatin1String("href") && attribute.name != QLatin1String("src"))
                continue;
            judgeTarget(targets, attribute.value, attribute.valueOffset, rows);
            if (securePage && tag.name == QLatin1String("img") && attribute.name == QLatin1String("src")
                && attribute.value.trimmed().startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
                rows.addAt(attribute.valueOffset, CheckSentences::kInsecureImage, attribute.value.trimmed());
        }
    }
    static const QRegularExpression url(QStringLiteral("url\\(\\s*(['\"]?)([^'\"\\)]*)\\1\\s*\\)"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (const TagScan::CssText &css : scan.css) {
        for (auto it = url.globalMatch(css.text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            judgeTarget(targets, match.captured(2), css.offset + match.capturedStart(2), rows);
        }
    }
}

} // namespace

namespace PageCheck {

QString charsetName(TextFormat::Encoding encoding)
{
    return encoding == TextFormat::Encoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Shift_JIS");
}

CheckRows run(const Input &input)
{
    // Our own pass over the tags needs nothing of tidy's: on a second core it costs no time.
    std::future<TagScan::Result> scanning =
        std::async(std::launch::async, [&input] { return TagScan::scan(input.text); });
    RowCollector rows(input.text);
    for (const TidyReport::Message &message : TidyReport::check(input.text.toUtf8())) {
        if (!CheckSentences::isIgnored(message.key))
            rows.addTidy(message);
    }
    const TagScan::Result scan = scanning.get();
    checkCharset(input, scan, rows);
    checkTargets(input, scan, rows);
    return rows.take();
}

} // namespace PageCheck
