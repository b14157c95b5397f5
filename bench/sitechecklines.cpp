#include "sitechecklines.h"

#include "app/mainwindow.h"
#include "app/sitecheckcommands.h"
#include "authoring/sourceview.h"
#include "benchbasics.h"
#include "benchchild.h"
#include "childrun.h"
#include "filereadwatch.h"
#include "linkcheckerrun.h"
#include "sitecheckpages.h"
#include "sitechecktally.h"
#include "sitepages.h"
#include "sitewindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTextCursor>
#include <QTreeWidget>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>
#include <unistd.h>
#include <vector>

using namespace bench;

namespace {

constexpr double kRatioGoal = 0.5;
constexpr double kRecheckGoalMs = 200;

// サイトチェック from the 編集 menu, timed until its results are in the list and the list has
// painted them.
double timedCheck(SiteWindow &window, SiteCheckCommands &check, QTreeWidget &list)
{
    PaintCount paints;
    list.viewport()->installEventFilter(&paints);
    bool finished = false;
    // Only a paint after the results came counts.
    const QMetaObject::Connection done = QObject::connect(&check, &SiteCheckCommands::finished, &check, [&] {
        finished = true;
        paints.count = 0;
    });
    const Stopwatch watch;
    window.program().window().action(QStringLiteral("mnuSiteCheck"))->trigger();
    while (!finished || paints.count == 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = watch.read().wallMs;
    QObject::disconnect(done);
    list.viewport()->removeEventFilter(&paints);
    return ms;
}

// The mended fault's address put right in the page's tab, as a user types it: an edit of the
// tab's text, left unsaved.
void mendInTab(ProgramWindow &program, const QString &root)
{
    const SiteCheckPages::Fault &fault = SiteCheckPages::mendedFault();
    program.open(root + QLatin1Char('/') + fault.page);
    SiteWindow::settle();
    SourceView &editor = program.editor();
    QTextCursor place = editor.document()->find(fault.address);
    if (place.isNull())
        fail("the page opened for the re-check lacks its fault");
    place.insertText(SiteCheckPages::mendedAddress());
    editor.setTextCursor(place);
}

QList<SiteCheckPages::Fault> faultsLeftAfterMending()
{
    QList<SiteCheckPages::Fault> left = SiteCheckPages::faults();
    const SiteCheckPages::Fault &mended = SiteCheckPages::mendedFault();
    left.removeIf([&](const SiteCheckPages::Fault &fault) {
        return fault.page == mended.page && fault.address == mended.address;
    });
    return left;
}

// linkchecker's drops its privileges to nobody's when started by root: the site must be open
// to others then.
void openToOthers(const QString &scratch)
{
    if (::geteuid() != 0)
        return;
    QFile::setPermissions(
        scratch, QFile::permissions(scratch) | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
}

struct Rounds
{
    std::vector<double> oursMs, recheckMs, peerMs, startupMs, windDownMs;
    int found = INT_MAX, recheckFound = INT_MAX, peerFound = INT_MAX;
    int extra = 0, recheckExtra = 0, peerExtra = 0;
    bool recheckAgreed = true;
};

void runOurs(const char *self, const QString &root, Rounds &rounds)
{
    const QByteArray rootArgument = root.toLocal8Bit();
    const ChildValues ours = runBenchChild(self, {"check", rootArgument.constData()});
    rounds.oursMs.push_back(ours.number("ours_ms"));
    rounds.recheckMs.push_back(ours.number("recheck_ms"));
    rounds.found = std::min(rounds.found, int(ours.number("found")));
    rounds.recheckFound = std::min(rounds.recheckFound, int(ours.number("recheck_found")));
    rounds.extra = std::max(rounds.extra, int(ours.number("extra")));
    rounds.recheckExtra = std::max(rounds.recheckExtra, int(ours.number("recheck_extra")));
    // The re-check reports what the first did, but for the mended fault.
    rounds.recheckAgreed &= ours.number("recheck_extra") == ours.number("extra");
}

// linkchecker's start-up: from before its fork until it first opened a file of the site; its
// wind-down: from the last file it closed until it was reaped.
void runPeer(const QString &root, const QString &config, Rounds &rounds)
{
    FileReadWatch watch(SiteCheckPages::folders(root));
    const long long startNs = monotonicNs();
    const LinkCheckerRun::Result peer = LinkCheckerRun::run(config, root + QStringLiteral("/index.html"));
    const FileReadWatch::Span reading = watch.stop();
    if (reading.firstOpenNs == 0)
        fail("linkchecker read no file of the site");
    rounds.peerMs.push_back(peer.ms);
    rounds.startupMs.push_back((reading.firstOpenNs - startNs) / 1e6);
    rounds.windDownMs.push_back(peer.ms - (reading.lastCloseNs - startNs) / 1e6);
    const SiteCheckTally::Tally tally = SiteCheckTally::ofLinkChecker(peer.findings, root, SiteCheckPages::faults());
    rounds.peerFound = std::min(rounds.peerFound, tally.found);
    rounds.peerExtra = std::max(rounds.peerExtra, tally.extra);
}

} // namespace

namespace SiteCheckLines {

void runChild(int &argc, char **argv)
{
    const ChildApplication app(argc, argv, true);
    const QString root = QString::fromLocal8Bit(argv[3]);
    SiteWindow window(root, nullptr);
    auto &check = window.control<SiteCheckCommands>();
    auto &list = window.control<QTreeWidget>("SiteCheckList");

    const double oursMs = timedCheck(window, check, list);
    const SiteCheckTally::Tally first = SiteCheckTally::ofPanel(list, SiteCheckPages::faults());
    mendInTab(window.program(), root);
    SiteWindow::settle();
    const double recheckMs = timedCheck(window, check, list);
    const SiteCheckTally::Tally second = SiteCheckTally::ofPanel(list, faultsLeftAfterMending());

    std::printf("ours_ms %.3f\nfound %d\nextra %d\nrecheck_ms %.3f\nrecheck_found %d\nrecheck_extra %d\n",
                oursMs,
                first.found,
                first.extra,
                recheckMs,
                second.found,
                second.extra);
    std::fflush(stdout);
    // Leave without tearing the window and the browser engine down: nothing of that is measured.
    std::_Exit(0);
}

bool run(const char *self, const QString &scratch)
{
    openToOthers(scratch);
    const QString root = scratch + QStringLiteral("/check-site");
    const QString config = scratch + QStringLiteral("/linkcheckerrc");
    SiteCheckPages::write(root);
    LinkCheckerRun::writeConfig(config);
    const auto planted = int(SiteCheckPages::faults().size());

    Rounds rounds;
    for (int round = 0; round < kRounds; ++round) {
        runOurs(self, root, rounds);
        runPeer(root, config, rounds);
    }
    const double oursMs = median(rounds.oursMs);
    const double peerMs = median(rounds.peerMs);
    const double startupMs = median(rounds.startupMs);
    const double recheckMs = median(rounds.recheckMs);
    const double ratio = oursMs / peerMs;
    const double ratioNoStartup = oursMs / (peerMs - startupMs);
    std::printf("site_bench check %s ours_s=%.3f peer_s=%.3f peer_startup=counted peer_startup_s=%.3f "
                "peer_wind_down_s=%.3f ratio=%.3f "
                "ratio_no_startup=%.3f found=%d/%d peer_found=%d/%d ours_extra=%d peer_extra=%d recheck_ms=%.1f "
                "recheck_found=%d/%d goal=%.1f goal_recheck_ms=%.0f\n",
                SitePages::kLabel,
                oursMs / 1e3,
                peerMs / 1e3,
                startupMs / 1e3,
                median(rounds.windDownMs) / 1e3,
                ratio,
                ratioNoStartup,
                rounds.found,
                planted,
                rounds.peerFound,
                planted,
                rounds.extra,
                rounds.peerExtra,
                recheckMs,
                rounds.recheckFound,
                planted - 1,
                kRatioGoal,
                kRecheckGoalMs);
    std::fflush(stdout);
    return ratio <= kRatioGoal && rounds.found == planted && recheckMs <= kRecheckGoalMs
        && rounds.recheckFound == planted - 1 && rounds.recheckAgreed;
}

} // namespace SiteCheckLines
