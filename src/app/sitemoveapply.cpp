#include "app/sitemoveapply.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace SiteMoveApply {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString listed(const QString &heading, const QStringList &lines)
{
    if (lines.isEmpty())
        return {};
    return QStringLiteral("\n\n%1\n  %2").arg(heading, lines.join(QStringLiteral("\n  ")));
}

bool isThere(const QString &path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

// A folder renames as a file does, with all it holds, on the same disk; the site is one.
QString moved(const QString &from, const QString &to)
{
    if (!isThere(from))
        return QStringLiteral("%1 はもうありません").arg(native(from));
    if (isThere(to) && from.compare(to, Qt::CaseInsensitive) != 0)
        return QStringLiteral("%1 はもうあります").arg(native(to));
    if (!QFile::rename(from, to))
        return QStringLiteral("%1 を %2 にできません。書き込みが許されていないか、使われています")
            .arg(native(from), native(to));
    return {};
}

} // namespace

Outcome moveAndRewrite(const Site &site,
                       const Move &move,
                       const QList<SiteReplaceApply::FilePage> &pages,
                       ReplaceUndoStore &store,
                       const SiteReplaceApply::Writer &write,
                       const QDateTime &now)
{
    Outcome outcome;
    // The copies of the last replace or move go now: 元に戻す takes back this one only.
    store.drop();
    outcome.moveFailure = moved(move.from, move.to);
    if (outcome.moveFailure.isEmpty())
        outcome.files = SiteReplaceApply::rewriteFiles(site, pages, store, write, now);
    return outcome;
}

QString undoRefusal(const Move &move)
{
    if (!isThere(move.to))
        return QStringLiteral("%1 がもうないため、元に戻せません").arg(native(move.to));
    if (isThere(move.from) && move.from.compare(move.to, Qt::CaseInsensitive) != 0)
        return QStringLiteral("%1 という名前がまた使われているため、元に戻せません").arg(native(move.from));
    if (!QFileInfo(QFileInfo(move.from).absolutePath()).isDir())
        return QStringLiteral("元のフォルダ %1 がもうないため、元に戻せません")
            .arg(native(QFileInfo(move.from).absolutePath()));
    return {};
}

UndoOutcome undo(const Move &move, ReplaceUndoStore &store, const SiteReplaceApply::Writer &write)
{
    UndoOutcome outcome;
    outcome.moveFailure = undoRefusal(move);
    if (!outcome.moveFailure.isEmpty())
        return outcome;
    // The copies name the pages where the move put them: they go back before the pages do.
    outcome.files = store.restore(write);
    outcome.moveFailure = moved(move.to, move.from);
    return outcome;
}

QString summary(const QString &shownFrom,
                const QString &shownTo,
                const Outcome &files,
                const SiteReplaceApply::TabOutcome &tabs,
                const QStringList &notUpdated)
{
    if (!files.moveFailure.isEmpty())
        return QStringLiteral("「%1」を移動できませんでした。ファイルもリンクも元のままです。\n\n  %2")
            .arg(shownFrom, files.moveFailure);
    const int pages = files.files.pages + tabs.pages;
    const int links = files.files.matches + tabs.matches;
    QString text = QStringLiteral("「%1」を「%2」にしました。").arg(shownFrom, shownTo);
    if (pages > 0)
        text += QStringLiteral("\n%1 ページのリンク %2 箇所を書き換えました。").arg(pages).arg(links);
    if (tabs.pages > 0)
        text += QStringLiteral("\n\nタブで開いている %1 ページはタブの中で書き換えました（まだ保存していません）。")
                    .arg(tabs.pages);
    if (!files.files.copiesFailure.isEmpty())
        text += QStringLiteral("\n\n元に戻すためのコピーを作れないため、ページは書き換えていません。\n  %1")
                    .arg(files.files.copiesFailure);
    text += listed(QStringLiteral("リンクを書き換えなかったページ（リンクが切れています）:"),
                   tabs.skipped + files.files.skipped + notUpdated);
    text += listed(QStringLiteral("書き込めなかったページ（元のままで、リンクが切れています）:"), files.files.failed);
    text += QStringLiteral("\n\nサイトの欄のメニューの「元に戻す（名前の変更・移動）」で元に戻せます。");
    return text;
}

QString undoSummary(const QString &shownFrom,
                    const UndoOutcome &files,
                    const QStringList &tabsUndone,
                    const QStringList &tabsChanged)
{
    QString text = files.moveFailure.isEmpty()
        ? QStringLiteral("「%1」を元の名前と場所に戻しました（ページ %2 件、タブ %3 ページ）。")
              .arg(shownFrom)
              .arg(files.files.restored.size() + files.files.unchanged.size())
              .arg(tabsUndone.size())
        : QStringLiteral("「%1」は元に戻せませんでした。\n  %2").arg(shownFrom, files.moveFailure);
    text += listed(QStringLiteral("移動の後で変更されているため、元に戻さなかったページ:"),
                   files.files.changedSince + tabsChanged);
    text += listed(QStringLiteral("元に戻せなかったページ:"), files.files.failed);
    return text;
}

} // namespace SiteMoveApply
