#include "app/sitemovecommands.h"

#include "app/sitemoveplan.h"
#include "app/sitepanel.h"
#include "app/sitereplacedialog.h"
#include "common/commanddispatcher.h"
#include "common/sitework.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "workspace/documentregistry.h"
#include "workspace/pagesource.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString kTitle = QStringLiteral("名前の変更・移動");
const QString kUndoTitle = QStringLiteral("元に戻す（名前の変更・移動）");

SiteReplaceDialog::Wording wordingFor(const LinkRetarget::Move &move)
{
    const bool renamed = QFileInfo(move.from).path() == QFileInfo(move.to).path();
    SiteReplaceDialog::Wording wording;
    wording.title = QStringLiteral("リンクの書き換えの確認");
    wording.explanation =
        QStringLiteral("「%1」を「%2」にします。次のリンクも書き換えます。"
                       "書き換えないリンクはチェックを外してから「リンクも書き換える」を押してください。")
            .arg(move.from, move.to);
    wording.apply = QStringLiteral("リンクも書き換える(&U)");
    wording.alone = renamed ? QStringLiteral("名前だけ変える(&N)") : QStringLiteral("移動だけする(&N)");
    wording.count = QStringLiteral("%1 ページの %2 箇所のリンクを書き換えます");
    wording.refused = QStringLiteral("書き換えられません: %1");
    wording.inTab = QStringLiteral("タブで開いているページ（タブの中で書き換えます）");
    wording.before = QStringLiteral("書き換え前");
    wording.after = QStringLiteral("書き換え後");
    return wording;
}

} // namespace

SiteMoveCommands::SiteMoveCommands(
    SitePanel &panel, DocumentRegistry &registry, UserDialogs &dialogs, QWidget &window, Links links)
    : QObject(&window), m_panel(panel), m_registry(registry), m_dialogs(dialogs), m_window(window),
      m_links(std::move(links)), m_tabEdits(registry)
{
    panel.dispatcher().add(kUndoHandler, [this](int) { undo(); });
    connect(&panel, &SitePanel::moveRequested, this, &SiteMoveCommands::move);
    connect(&m_plan, &QFutureWatcherBase::finished, this, &SiteMoveCommands::planned);
    updateUndo();
}

SiteMoveCommands::~SiteMoveCommands()
{
    if (m_cancelled)
        m_cancelled->store(true);
    m_plan.waitForFinished();
}

void SiteMoveCommands::move(const QString &from, const QString &to)
{
    // Asked through a signal: its failure is shown here, never thrown back through it.
    m_panel.dispatcher().guard([&] { startPlan(from, to); });
}

void SiteMoveCommands::startPlan(const QString &from, const QString &to)
{
    if (m_pending)
        throw UserError(QStringLiteral("ほかの名前の変更・移動を確かめています。終わるまでお待ちください"));
    const Site site = m_panel.site();
    const std::optional<LinkRetarget::Move> inSite = SiteMovePlan::moveIn(site, from, to);
    if (!inSite)
        throw UserError(QStringLiteral("%1 はサイトのフォルダの中にありません").arg(QDir::toNativeSeparators(from)));
    m_pending = Pending{site, {from, to}, *inSite};
    QHash<QByteArray, PageSource::Page> open = PageSource(m_registry).openPagesOf(site);
    m_cancelled = std::make_shared<std::atomic_bool>(false);
    m_plan.setFuture(
        QtConcurrent::run(&SiteWork::pool(), [site, move = *inSite, open = std::move(open), cancelled = m_cancelled] {
            SiteWork::yieldToWindow();
            try {
                return SiteMovePlan::plan(site, move, open, *cancelled);
            } catch (const std::exception &) {
                // A site that cannot be listed has no pages to update; the move still asks.
                return QList<SiteReplacePlan::Page>();
            }
        }));
}

void SiteMoveCommands::planned()
{
    if (!m_pending)
        return;
    const QList<SiteReplacePlan::Page> pages = m_plan.result();
    if (pages.isEmpty()) {
        apply({}, {});
        return;
    }
    SiteReplaceDialog preview(pages, wordingFor(m_pending->inSite), &m_window);
    const int answer = m_dialogs.exec(&preview);
    if (answer == QDialog::Accepted)
        apply(pages, preview.ticked());
    else if (answer == SiteReplaceDialog::kAlone)
        apply({}, {});
    else {
        m_pending.reset();
        emit finished();
    }
}

void SiteMoveCommands::apply(const QList<SiteReplacePlan::Page> &pages, const QList<QList<bool>> &ticked)
{
    const Pending pending = *m_pending;
    m_pending.reset();
    ReplaceUndoStore store(m_links.undoFolder);
    const SiteMoveApply::Outcome outcome = SiteMoveApply::moveAndRewrite(pending.site,
                                                                         pending.local,
                                                                         SiteReplaceApply::filePages(pages, ticked),
                                                                         store,
                                                                         m_links.write,
                                                                         QDateTime::currentDateTimeUtc());
    SiteReplaceApply::TabOutcome tabs;
    QStringList notUpdated;
    if (outcome.moveFailure.isEmpty()) {
        tabs = m_tabEdits.apply(pages, ticked);
        m_last = pending;
        for (const SiteReplacePlan::Page &page : pages) {
            if (!page.refusal.isEmpty())
                notUpdated.append(page.shownPath + QStringLiteral(": ") + page.refusal);
        }
        m_panel.select(pending.local.to);
    }
    updateUndo();
    // A plain rename with no link to it needs no word; anything else is told.
    if (!pages.isEmpty() || !outcome.moveFailure.isEmpty())
        tell(kTitle, SiteMoveApply::summary(pending.inSite.from, pending.inSite.to, outcome, tabs, notUpdated));
    emit finished();
}

void SiteMoveCommands::undo()
{
    if (!m_last)
        return;
    if (const QString refusal = SiteMoveApply::undoRefusal(m_last->local); !refusal.isEmpty())
        throw UserError(refusal);
    const Pending last = *m_last;
    m_last.reset();
    const SiteTabEdits::Undone tabs = m_tabEdits.undo();
    ReplaceUndoStore store(m_links.undoFolder);
    const SiteMoveApply::UndoOutcome outcome = SiteMoveApply::undo(last.local, store, m_links.write);
    updateUndo();
    m_panel.select(last.local.from);
    tell(kUndoTitle, SiteMoveApply::undoSummary(last.inSite.from, outcome, tabs.undone, tabs.changed));
    emit finished();
}

void SiteMoveCommands::tell(const QString &title, const QString &text)
{
    m_dialogs.message(&m_window, {title, text, DialogIcon::Information, {DialogButton::Ok}});
}

void SiteMoveCommands::updateUndo()
{
    if (auto *action = m_panel.popupMenu()->findChild<QAction *>(QStringLiteral("SiteMoveUndo")))
        action->setEnabled(m_last.has_value());
}
