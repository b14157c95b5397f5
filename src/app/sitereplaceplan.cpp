#include "app/sitereplaceplan.h"

#include "common/lineends.h"
#include "common/regularfile.h"
#include "common/textcontent.h"
#include "common/usererror.h"
#include "workspace/documentfile.h"
#include "workspace/spanrewrite.h"

#include <QFileInfo>

namespace SiteReplacePlan {

namespace {

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// The line as shown: around the match when it is long, and a line end inside a replacement as
// a mark, so that a row stays one line.
QString excerpt(QStringView line, qsizetype matchAt)
{
    qsizetype from = 0;
    qsizetype length = line.size();
    if (length > kExcerptLimit) {
        from = qMax<qsizetype>(0, qMin(matchAt - kExcerptLimit / 4, line.size() - kExcerptLimit));
        length = kExcerptLimit;
        if (from > 0 && line.at(from).isLowSurrogate())
            ++from, --length;
        if (line.at(from + length - 1).isHighSurrogate())
            --length;
    }
    QString shown = line.sliced(from, length).toString();
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("↵"));
    shown.replace(QLatin1Char('\n'), QStringLiteral("↵"));
    shown.replace(QLatin1Char('\r'), QStringLiteral("↵"));
    shown = shown.trimmed();
    if (from > 0)
        shown.prepend(QStringLiteral("…"));
    if (from + length < line.size())
        shown.append(QStringLiteral("…"));
    return shown;
}

} // namespace

QList<Change> changesIn(const ReplaceRules::Pattern &pattern, const QString &crlfText, const QString &with)
{
    return changesFor(crlfText, pattern.replaceAll(crlfText, with));
}

QList<Change> changesFor(const QString &crlfText, QList<ReplaceRules::Edit> edits)
{
    QList<Change> changes;
    int line = 1;
    qsizetype counted = 0;
    for (ReplaceRules::Edit &edit : edits) {
        if (edit.range.length == 0)
            continue;
        const qsizetype start = edit.range.start;
        const qsizetype end = edit.range.end();
        line += int(QStringView(crlfText).sliced(counted, start - counted).count(QLatin1Char('\n')));
        counted = start;
        qsizetype lineStart = start;
        while (lineStart > 0 && crlfText.at(lineStart - 1) != QLatin1Char('\n'))
            --lineStart;
        qsizetype lineEnd = end;
        while (lineEnd < crlfText.size() && !isLineEnd(crlfText.at(lineEnd)))
            ++lineEnd;
        const QStringView text(crlfText);
        QString after = text.sliced(lineStart, start - lineStart).toString();
        after.append(edit.text).append(text.sliced(end, lineEnd - end));
        Change change;
        change.line = line;
        change.before = excerpt(text.sliced(lineStart, lineEnd - lineStart), start - lineStart);
        change.after = excerpt(after, start - lineStart);
        change.edit = std::move(edit);
        changes.append(std::move(change));
    }
    return changes;
}

QString fileRefusal(const Site &site, const QString &localPath)
{
    const QFileInfo file(localPath);
    if (file.isSymLink())
        return QStringLiteral("リンクなので置き換えません");
    if (!site.contains(localPath))
        return QStringLiteral("サイトのフォルダの外にあります");
    // The owner's write bit as a file manager shows it: a user with every right (root) can write
    // over a read-only file, but the file says it is not to be changed.
    if (!file.permission(QFileDevice::WriteOwner) || !file.isWritable())
        return QStringLiteral("読み取り専用のファイルです");
    return {};
}

bool planFile(const Site &site,
              const QByteArray &path,
              const ReplaceRules::Pattern &pattern,
              const QString &with,
              Page *page,
              const SearchPrefilter *prefilter)
{
    return planFile(
        site, path, [&](const QString &crlfText) { return changesIn(pattern, crlfText, with); }, page, prefilter);
}

bool planFile(const Site &site,
              const QByteArray &path,
              const std::function<QList<Change>(const QString &crlfText)> &find,
              Page *page,
              const SearchPrefilter *prefilter)
{
    page->localPath = site.localPath(path);
    page->shownPath = Site::displayName(path);
    try {
        page->bytes = RegularFile::readAll(page->localPath, RegularFile::kDocumentLimit);
    } catch (const UserError &) {
        return false;
    }
    if (TextContent::startsLikeBinary(page->bytes))
        return false;
    if (prefilter && !prefilter->mayMatch(page->bytes))
        return true;
    DecodedText decoded;
    try {
        decoded = DocumentFile::decodePlain(page->localPath, page->bytes);
    } catch (const UserError &) {
        return false;
    }
    LineEnds::convert(decoded.text, LineEnd::CrLf);
    page->text = std::move(decoded.text);
    page->changes = find(page->text);
    if (page->changes.isEmpty())
        return true;
    page->refusal = fileRefusal(site, page->localPath);
    if (!page->refusal.isEmpty())
        return true;
    QList<ReplaceRules::Edit> edits;
    for (const Change &change : std::as_const(page->changes))
        edits.append(change.edit);
    // Bytes the encoding does not read are the rewrite's to refuse; a clean text spares it
    // decoding the page again.
    const QList<SpanRewrite::Edit> spans = spanEdits(edits);
    auto rewritten = decoded.format.unreadableBytes
        ? SpanRewrite::apply(page->bytes, spans)
        : SpanRewrite::apply(page->bytes, page->text, decoded.format, spans);
    if (const auto *refusal = std::get_if<SpanRewrite::Refusal>(&rewritten))
        page->refusal = refusal->reason;
    else
        page->rewritten = std::get<QByteArray>(std::move(rewritten));
    return true;
}

QList<SpanRewrite::Edit> spanEdits(const QList<ReplaceRules::Edit> &edits)
{
    QList<SpanRewrite::Edit> spans;
    spans.reserve(edits.size());
    for (const ReplaceRules::Edit &edit : edits)
        spans.append({edit.range.start, edit.range.length, edit.text});
    return spans;
}

QList<ReplaceRules::Edit> chosenEdits(const Page &page, const QList<bool> &ticked)
{
    QList<ReplaceRules::Edit> edits;
    for (qsizetype i = 0; i < page.changes.size() && i < ticked.size(); ++i) {
        if (ticked.at(i))
            edits.append(page.changes.at(i).edit);
    }
    return edits;
}

} // namespace SiteReplacePlan
