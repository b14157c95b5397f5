#include "app/sitereplaceapply.h"

#include "app/sitereplaceplan.h"
#include "common/regularfile.h"
#include "common/usererror.h"
#include "workspace/replaceundostore.h"
#include "workspace/spanrewrite.h"

#include <QHash>

namespace SiteReplaceApply {

namespace {

// A heading with the lines under it, indented, after a blank line; nothing without lines.
QString listed(const QString &heading, const QStringList &lines)
{
    if (lines.isEmpty())
        return {};
    return QStringLiteral("\n\n%1\n  %2").arg(heading, lines.join(QStringLiteral("\n  ")));
}

} // namespace

QList<FilePage> filePages(const QList<SiteReplacePlan::Page> &pages, const QList<QList<bool>> &ticked)
{
    QList<FilePage> files;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const SiteReplacePlan::Page &page = pages.at(i);
        if (page.open || !page.refusal.isEmpty())
            continue;
        QList<ReplaceRules::Edit> edits = SiteReplacePlan::chosenEdits(page, ticked.value(i));
        if (edits.isEmpty())
            continue;
        const bool everyChange = edits.size() == page.changes.size();
        files.append({page.localPath,
                      page.shownPath,
                      page.bytes,
                      std::move(edits),
                      everyChange ? page.rewritten : QByteArray()});
    }
    return files;
}

Outcome rewriteFiles(
    const Site &site, const QList<FilePage> &pages, ReplaceUndoStore &store, const Writer &write, const QDateTime &now)
{
    Outcome outcome;
    QList<ReplaceUndoStore::Copy> copies;
    QList<BatchWrite::File> files;
    QHash<QString, int> matchesOf;
    for (const FilePage &page : pages) {
        if (page.edits.isEmpty())
            continue;
        const auto skip = [&](const QString &why) {
            outcome.skipped.append(page.shownPath + QStringLiteral(": ") + why);
        };
        QByteArray bytes;
        try {
            bytes = RegularFile::readAll(page.localPath, RegularFile::kDocumentLimit);
        } catch (const UserError &) {
            skip(QStringLiteral("読めなくなりました"));
            continue;
        }
        if (bytes != page.bytes) {
            skip(QStringLiteral("確認の後で変更されています"));
            continue;
        }
        if (const QString refusal = SiteReplacePlan::fileRefusal(site, page.localPath); !refusal.isEmpty()) {
            skip(refusal);
            continue;
        }
        QByteArray after = page.rewritten;
        if (after.isNull()) {
            auto rewritten = SpanRewrite::apply(bytes, SiteReplacePlan::spanEdits(page.edits));
            if (const auto *refusal = std::get_if<SpanRewrite::Refusal>(&rewritten)) {
                skip(refusal->reason);
                continue;
            }
            after = std::get<QByteArray>(std::move(rewritten));
        }
        copies.append({page.localPath, bytes, after});
        files.append({page.localPath, std::move(after)});
        matchesOf.insert(page.localPath, int(page.edits.size()));
    }
    if (files.isEmpty())
        return outcome;
    try {
        store.keep(copies, now);
        outcome.copiesKept = true;
    } catch (const UserError &error) {
        outcome.copiesFailure = error.text();
        return outcome;
    }
    const BatchWrite::Outcome written = write(files);
    for (const QString &path : written.written) {
        ++outcome.pages;
        outcome.matches += matchesOf.value(path);
    }
    outcome.failed = written.failed;
    return outcome;
}

QString summary(const Outcome &files, const TabOutcome &tabs)
{
    const int pages = files.pages + tabs.pages;
    const int matches = files.matches + tabs.matches;
    QString text = pages == 0 ? QStringLiteral("置換したページはありません。")
                              : QStringLiteral("%1 ページで %2 件置換しました。").arg(pages).arg(matches);
    if (tabs.pages > 0)
        text += QStringLiteral("\n\nタブで開いている %1 ページはタブの中で置換しました（まだ保存していません）。")
                    .arg(tabs.pages);
    if (!files.copiesFailure.isEmpty())
        text +=
            QStringLiteral(
                "\n\n元に戻すためのコピーを作れないため、ファイルは書き換えていません（すべて元のままです）。\n  %1")
                .arg(files.copiesFailure);
    text += listed(QStringLiteral("置換しなかったページ:"), tabs.skipped + files.skipped);
    text += listed(QStringLiteral("書き込めなかったファイル（元のままです）:"), files.failed);
    if (files.pages > 0 || tabs.pages > 0)
        text += QStringLiteral(
                    "\n\n編集 → 元に戻す（サイト内置換）で元に戻せます（ファイルのコピーは次のサイト内置換まで、最長 "
                    "%1 日残ります）。")
                    .arg(ReplaceUndoStore::kKeptDays);
    return text;
}

QString
undoSummary(const ReplaceUndoStore::Outcome &files, const QStringList &tabsUndone, const QStringList &tabsChanged)
{
    QString text = QStringLiteral("サイト内置換を元に戻しました（ファイル %1 件、タブ %2 ページ）。")
                       .arg(files.restored.size() + files.unchanged.size())
                       .arg(tabsUndone.size());
    text +=
        listed(QStringLiteral("置換の後で変更されているため、元に戻さなかったもの:"), files.changedSince + tabsChanged);
    text += listed(QStringLiteral("元に戻せなかったファイル（置換したままです。もう一度 元に戻す を選べます）:"),
                   files.failed);
    return text;
}

} // namespace SiteReplaceApply
