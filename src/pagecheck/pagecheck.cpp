#include "pagecheck/pagecheck.h"

#include "common/charsetdeclaration.h"
#include "pagecheck/checksentences.h"
#include "pagecheck/localtarget.h"
#include "pagecheck/sourcelines.h"
#include "pagecheck/tagscan.h"
#include "pagecheck/tidyreport.h"
#include "pagecheck/unclosedelements.h"

#include <QHash>
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
    explicit RowCollector(const QString &text) : m_text(text), m_lines(text) {}

    void addAt(qsizetype offset,
               const QByteArray &key,
               const QStringList &arguments,
               std::optional<CheckRow::Fix> fix = std::nullopt)
    {
        const SourceLines::Place place = m_lines.placeOf(offset);
        CheckRow row = CheckSentences::ownRow(key, arguments, place.line, place.column);
        row.fix = std::move(fix);
        add(std::move(row));
    }

    void addTidy(const QList<TidyReport::Message> &messages)
    {
        // tidy says some things twice (once parsing, once repairing).
        QList<const TidyReport::Message *> kept;
        QList<UnclosedElements::Message> places;
        for (const TidyReport::Message &message : messages) {
            const int column = m_lines.columnFromTidy(message.line, message.column);
            if (CheckSentences::isIgnored(message.key)
                || !isNew(message.line, column, QString::fromLatin1(message.key)))
                continue;
            kept.append(&message);
            places.append({message.key,
                           elementName(message.arguments.value(0)),
                           elementAt(message.line, column),
                           message.line,
                           column});
        }
        const QList<qsizetype> into = UnclosedElements::fold(places);
        QHash<qsizetype, qsizetype> rowOf;
        for (qsizetype i = 0; i < kept.size(); ++i) {
            if (into.at(i) < 0) {
                rowOf.insert(i, m_rows.size());
                m_rows.append(tidyRow(*kept.at(i), places.at(i)));
            }
        }
        for (qsizetype i = 0; i < kept.size(); ++i) {
            if (into.at(i) >= 0)
                addContinuation(m_rows[rowOf.value(into.at(i))], places.at(into.at(i)), *kept.at(i), places.at(i));
        }
    }

    CheckRows take()
    {
        const auto byPlace = [](const CheckRow &a, const CheckRow &b) {
            return std::pair(a.line, a.column) < std::pair(b.line, b.column);
        };
        std::stable_sort(m_rows.begin(), m_rows.end(), byPlace);
        for (CheckRow &row : m_rows)
            std::stable_sort(row.continuations.begin(), row.continuations.end(), byPlace);
        return std::move(m_rows);
    }

private:
    void add(CheckRow row)
    {
        if (isNew(row.line, row.column, row.key))
            m_rows.append(std::move(row));
    }

    bool isNew(int line, int column, const QString &key)
    {
        if (m_seen.contains({line, column, key}))
            return false;
        m_seen.insert({line, column, key});
        return true;
    }

    static CheckRow tidyRow(const TidyReport::Message &message, const UnclosedElements::Message &place)
    {
        const auto rule = CheckSentences::find(message.key, message.arguments);
        const Level level = rule
            ? rule->level
            : (message.severity == TidyReport::Message::Severity::Error ? Level::Error : Level::Caution);
        return {level,
                message.line,
                place.column,
                QString::fromLatin1(message.key),
                CheckSentences::sentence(message.key, {message.arguments, message.line, place.atPlace}, message.text),
                message.text,
                {},
                std::nullopt};
    }

    // One place further down where the fault of row goes on; a place already under it is not
    // listed twice (tidy opens an element there and then trims it away).
    static void addContinuation(CheckRow &row,
                                const UnclosedElements::Message &first,
                                const TidyReport::Message &message,
                                const UnclosedElements::Message &place)
    {
        for (const CheckRow &known : row.continuations) {
            if (known.line == place.line && known.column == place.column)
                return;
        }
        const QString element = UnclosedElements::leftOpen(first);
        // Under an element left open it goes on; under anything else tidy opened the element
        // itself to read what the first row is about.
        const QString sentence =
            element.isEmpty() ? CheckSentences::inserted(place.about) : CheckSentences::continued(element, row.line);
        row.continuations.append(
            {row.level, place.line, place.column, QString::fromLatin1(message.key), sentence, message.text, {}, {}});
    }

    // "b" of "<b>", "</b>" or "b" as tidy names an element.
    static QString elementName(const QString &tidyName)
    {
        QString name = tidyName.trimmed().toLower();
        name.remove(QLatin1Char('<')).remove(QLatin1Char('/')).remove(QLatin1Char('>'));
        return name;
    }

    // The name of the element whose start tag begins at a place ("b"), empty when none does.
    QString elementAt(int line, int column) const
    {
        const qsizetype offset = m_lines.offsetOf(line, column);
        if (offset + 1 >= m_text.size() || m_text.at(offset) != QLatin1Char('<') || !m_text.at(offset + 1).isLetter())
            return {};
        qsizetype end = offset + 1;
        while (end < m_text.size() && (m_text.at(end).isLetterOrNumber() || m_text.at(end) == QLatin1Char('-')))
            ++end;
        return m_text.mid(offset + 1, end - offset - 1).toLower();
    }

    struct Seen
    {
        int line;
        int column;
        QString key;
        bool operator==(const Seen &) const = default;
    };
    friend size_t qHash(const Seen &seen, size_t seed) { return qHashMulti(seed, seen.line, seen.column, seen.key); }

    const QString &m_text;
    SourceLines m_lines;
    CheckRows m_rows;
    QSet<Seen> m_seen;
};

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isMeta(const TagScan::Tag &tag)
{
    return tag.name == QLatin1String("meta");
}

const TagScan::Tag *firstTag(const TagScan::Result &scan, QLatin1String name)
{
    const auto it =
        std::find_if(scan.tags.cbegin(), scan.tags.cend(), [&](const TagScan::Tag &tag) { return tag.name == name; });
    return it == scan.tags.cend() ? nullptr : &*it;
}

// Markup inserted in the head: just inside <head> (before <title>, within the first bytes a
// browser reads for a charset) or just after the tag given, on a line of its own when the next
// line is one, indented as that line is.
CheckRow::Fix
headFix(const QString &text, const TagScan::Result &scan, const QString &markup, const TagScan::Tag *after)
{
    const TagScan::Tag *head = after ? after : firstTag(scan, QLatin1String("head"));
    if (!head)
        head = firstTag(scan, QLatin1String("html"));
    if (!head)
        return {0, markup};
    const qsizetype at = head->end;
    const QStringView rest = QStringView(text).mid(at);
    const qsizetype lineEnd = rest.startsWith(u"\r\n") ? 2 : (rest.startsWith(u'\n') || rest.startsWith(u'\r')) ? 1 : 0;
    if (lineEnd == 0)
        return {at, markup};
    qsizetype indent = lineEnd;
    while (indent < rest.size() && (rest.at(indent) == u' ' || rest.at(indent) == u'\t'))
        ++indent;
    return {at, rest.left(indent).toString() + markup};
}

CheckRow::Fix charsetFix(const QString &text, const TagScan::Result &scan, const QString &charset)
{
    return headFix(text, scan, QStringLiteral("<meta charset=\"%1\">").arg(charset), nullptr);
}

bool isNamedMeta(const TagScan::Tag &tag, QLatin1String name)
{
    const auto *attribute = tag.attribute(QStringLiteral("name"));
    return isMeta(tag) && attribute && attribute->value.trimmed().compare(name, Qt::CaseInsensitive) == 0;
}

// The <meta> that declares the page's charset, if one does.
const TagScan::Tag *charsetTag(const TagScan::Result &scan)
{
    const auto declared = PageCheck::declaredCharset(scan);
    if (!declared)
        return nullptr;
    for (const TagScan::Tag &tag : scan.tags) {
        if (isMeta(tag) && tag.offset <= declared->second && declared->second < tag.end)
            return &tag;
    }
    return nullptr;
}

// A phone lays out a page without a viewport declaration at a desktop's width and shrinks it, so
// its text comes out too small to read. Only a whole page (one with <html> or <head>) is meant
// to be opened by itself; a fragment goes unjudged.
void checkViewport(const PageCheck::Input &input, const TagScan::Result &scan, RowCollector &rows)
{
    const TagScan::Tag *head = firstTag(scan, QLatin1String("head"));
    const TagScan::Tag *html = firstTag(scan, QLatin1String("html"));
    if (!head && !html)
        return;
    const bool declared = std::any_of(scan.tags.cbegin(), scan.tags.cend(), [](const TagScan::Tag &tag) {
        return isNamedMeta(tag, QLatin1String("viewport"));
    });
    if (declared)
        return;
    const QString meta = QString::fromLatin1(CheckSentences::kViewportMarkup);
    rows.addAt(head ? head->offset : html->offset,
               CheckSentences::kViewportMissing,
               {meta},
               headFix(input.text, scan, meta, charsetTag(scan)));
}

// Measured in the phone preview: where the page is wider than the phone, the reader has to
// scroll sideways for every line.
void checkPhoneFit(const PageCheck::Input &input, const TagScan::Result &scan, RowCollector &rows)
{
    if (!input.phoneFit || input.phoneFit->contentWidth <= input.phoneFit->phoneWidth)
        return;
    // The scan keeps only tags whose attributes some check reads; <body> is looked for itself.
    static const QRegularExpression bodyTag(QStringLiteral("<body[\\s>]"), QRegularExpression::CaseInsensitiveOption);
    const TagScan::Tag *head = firstTag(scan, QLatin1String("head"));
    const qsizetype body = input.text.indexOf(bodyTag, head ? head->end : 0);
    rows.addAt(body >= 0  ? body
                   : head ? head->end
                          : 0,
               CheckSentences::kWiderThanPhone,
               {QString::number(input.phoneFit->phoneWidth),
                QString::number(input.phoneFit->contentWidth),
                input.phoneFit->widest});
}

void checkCharset(const PageCheck::Input &input, const TagScan::Result &scan, RowCollector &rows)
{
    const QString wanted = PageCheck::charsetName(input.saveEncoding);
    // Letters beyond ASCII are what a wrong or missing declaration garbles; a page of ASCII only
    // shows right whatever it declares, until such a letter is written.
    const bool ascii = isAscii(input.text);
    const auto declared = PageCheck::declaredCharset(scan);
    if (!declared) {
        const TagScan::Tag *head = firstTag(scan, QLatin1String("head"));
        rows.addAt(head ? head->offset : 0,
                   ascii ? CheckSentences::kCharsetMissingAscii : CheckSentences::kCharsetMissing,
                   {wanted},
                   charsetFix(input.text, scan, wanted));
        return;
    }
    const auto kind = CharsetDeclaration::classify(declared->first.toLatin1());
    const auto expected = input.saveEncoding == TextFormat::Encoding::Utf8 ? CharsetDeclaration::Declared::Utf8
                                                                           : CharsetDeclaration::Declared::ShiftJis;
    if (kind != expected)
        rows.addAt(declared->second,
                   ascii ? CheckSentences::kCharsetMismatchAscii : CheckSentences::kCharsetMismatch,
                   {wanted, declared->first});
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
        rows.addAt(offset, CheckSentences::kTargetMissing, {address.trimmed()});
        break;
    case LocalTarget::Outcome::CaseDiffers:
        rows.addAt(offset, CheckSentences::kTargetCase, {verdict.actualName});
        break;
    case LocalTarget::Outcome::LocalPath:
        rows.addAt(offset, CheckSentences::kLocalPath, {address.trimmed()});
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
                rows.addAt(attribute.valueOffset, CheckSentences::kInsecureImage, {attribute.value.trimmed()});
        }
    }
    for (const TagScan::CssText &css : scan.css) {
        for (const TagScan::Url &url : TagScan::urls(css))
            judgeTarget(targets, url.address, url.offset, rows);
    }
}

} // namespace

namespace PageCheck {

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
    rows.addTidy(TidyReport::check(input.text.toUtf8()));
    const TagScan::Result scan = scanning.get();
    checkCharset(input, scan, rows);
    checkViewport(input, scan, rows);
    checkPhoneFit(input, scan, rows);
    checkTargets(input, scan, rows);
    return rows.take();
}

} // namespace PageCheck
