#include "app/sitecheckcommands.h"

#include "app/bottomdock.h"
#include "app/queueddelivery.h"
#include "app/siterunstop.h"
#include "app/sitesearchrules.h"
#include "common/commanddispatcher.h"
#include "common/sitework.h"
#include "pagecheck/externallinks.h"
#include "pagecheck/pagecheckoptions.h"
#include "pagecheck/sitecheckpanel.h"
#include "workspace/pagesource.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// How often a running check tells the window how far it got, at most.
constexpr qint64 kProgressMs = 50;

QString externalProgressText(int done, int total)
{
    return QStringLiteral("外部リンクを確かめています（%1 / %2）").arg(done).arg(total);
}

// Asks the external links and adds their rows to the outcome's; says what was asked, or nothing
// when stopped.
std::optional<QString> askExternal(SiteCheck::Outcome &outcome,
                                   const QList<ExternalLinks::Address> &addresses,
                                   const QString &siteHost,
                                   const ExternalLinks::Hooks &hooks)
{
    const ExternalLinks::Outcome asked =
        ExternalLinks::check(addresses, ExternalLinks::guardFor(siteHost), ExternalLinks::Limits(), hooks);
    if (asked.stopped)
        return std::nullopt;
    ExternalLinks::addTo(outcome.files, asked);
    return ExternalLinks::summary(asked);
}

} // namespace

SiteCheckCommands::SiteCheckCommands(CommandDispatcher &commands,
                                     const DocumentRegistry &registry,
                                     QMainWindow &window,
                                     Links links)
    : QObject(&window), m_registry(registry), m_links(std::move(links))
{
    m_panel = new SiteCheckPanel;
    m_dock = BottomDock::add(window, QStringLiteral("サイトチェック"), "SiteCheckDock", m_panel);
    commands.add(kHandler, [this](int) { showAndCheck(); });
    connect(m_panel, &SiteCheckPanel::checkRequested, this, &SiteCheckCommands::start);
    connect(m_panel, &SiteCheckPanel::stopRequested, this, &SiteCheckCommands::stop);
    connect(m_panel, &SiteCheckPanel::placeChosen, this, &SiteCheckCommands::openPlace);
    connect(m_panel, &SiteCheckPanel::leaveRequested, this, [this] { m_links.backToEditor(); });
    QCheckBox &external = m_panel->externalBox();
    external.setChecked(PageCheckOptions::read(m_links.optionsPath).checkExternalLinks);
    connect(&external, &QCheckBox::toggled, this, [this](bool on) {
        // Only a convenience: the choice still holds for this run when it cannot be kept.
        try {
            PageCheckOptions::store(m_links.optionsPath, &PageCheckOptions::checkExternalLinks, on);
        } catch (const std::exception &) {
        }
    });
}

SiteCheckCommands::~SiteCheckCommands()
{
    // The worker delivers to this object and reads its memory: it ends before this does.
    if (m_cancelled)
        m_cancelled->store(true);
    m_run.waitForFinished();
}

void SiteCheckCommands::showAndCheck()
{
    m_chosenSite.reset();
    showAndStart();
}

void SiteCheckCommands::showAndCheck(const Site &site)
{
    m_chosenSite = site;
    showAndStart();
}

void SiteCheckCommands::showAndStart()
{
    m_dock->show();
    m_dock->raise();
    m_focusRows = true;
    start();
}

void SiteCheckCommands::start()
{
    stop();
    // A stopped run gives up at its next file; the memory is this run's once it has.
    m_run.waitForFinished();
    m_panel->clearResults();
    const Site site = m_chosenSite.value_or(m_links.site());
    if (site.isNull())
        return runEnded(SiteSearchRules::noSiteText());

    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_cancelled = cancelled;
    m_panel->setRunning(true);
    m_panel->setStatus(SiteCheckPanel::progressText(0, 0));
    const auto deliver = queuedTo(this, cancelled);
    SiteCheck::Input input{site, PageSource(m_registry).openPagesOf(site)};
    const std::optional<QString> externalHost = m_panel->externalBox().isChecked()
        ? std::optional(m_links.siteHost ? m_links.siteHost(site) : QString())
        : std::nullopt;
    m_run = QtConcurrent::run(
        &SiteWork::pool(), [memory = m_memory, input = std::move(input), cancelled, deliver, externalHost] {
            SiteWork::yieldToWindow();
            QElapsedTimer sinceProgress;
            sinceProgress.start();
            SiteCheck::Hooks hooks;
            hooks.cancelled = [cancelled] { return cancelled->load(); };
            hooks.progress = [&](int done, int total) {
                if (sinceProgress.elapsed() < kProgressMs)
                    return;
                sinceProgress.restart();
                deliver([done, total](SiteCheckCommands &self) {
                    self.m_panel->setStatus(SiteCheckPanel::progressText(done, total));
                });
            };
            try {
                QList<ExternalLinks::Address> addresses;
                SiteCheck::Outcome outcome = memory->use(input.site.root(), [&](SiteCheck::Memory &remembered) {
                    SiteCheck::Outcome checked = SiteCheck::run(input, remembered, hooks);
                    if (externalHost && !checked.cancelled)
                        addresses = ExternalLinks::of(remembered);
                    return checked;
                });
                if (outcome.cancelled)
                    return;
                QString external;
                // Asked once the memory is let go: the servers may take their time.
                if (externalHost) {
                    const auto progress = [&](int done, int total) {
                        deliver([done, total](SiteCheckCommands &self) {
                            self.m_panel->setStatus(externalProgressText(done, total));
                        });
                    };
                    progress(0, 0);
                    const std::optional<QString> asked =
                        askExternal(outcome, addresses, *externalHost, {hooks.cancelled, progress});
                    if (!asked)
                        return;
                    external = *asked;
                }
                deliver([outcome = std::move(outcome), site = input.site, external](SiteCheckCommands &self) {
                    self.showOutcome(outcome, site, external);
                });
            } catch (const std::exception &error) {
                deliver(
                    [message = QString::fromUtf8(error.what())](SiteCheckCommands &self) { self.runEnded(message); });
            }
        });
}

void SiteCheckCommands::stop()
{
    stopSiteRun(m_cancelled, *m_panel);
}

void SiteCheckCommands::showOutcome(const SiteCheck::Outcome &outcome, const Site &site, const QString &external)
{
    QList<SiteCheckPanel::File> files;
    for (const SiteJudgement::FileRows &file : outcome.files) {
        const SiteFileKind kind = SiteFileKinds::ofName(file.bytes);
        files.append({site.localPath(file.bytes),
                      file.path,
                      file.rows,
                      kind == SiteFileKind::Page || kind == SiteFileKind::StyleSheet});
    }
    m_panel->showResult(outcome.pages, files);
    if (!external.isEmpty())
        m_panel->setStatus(SiteCheckPanel::outcomeText(outcome.pages, files) + QStringLiteral("　") + external);
    runEnded({});
}

void SiteCheckCommands::runEnded(const QString &status)
{
    m_cancelled.reset();
    m_panel->setRunning(false);
    if (!status.isEmpty())
        m_panel->setStatus(status);
    if (std::exchange(m_focusRows, false))
        m_panel->focusList();
    emit finished();
}

void SiteCheckCommands::openPlace(const QString &path, int line, int column)
{
    if (m_links.openPage(path))
        m_links.moveCaret(line, column);
}
