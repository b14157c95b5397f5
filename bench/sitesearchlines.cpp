#include "sitesearchlines.h"

#include "app/sitesearchcommands.h"
#include "benchbasics.h"
#include "benchchild.h"
#include "childrun.h"
#include "sitewindow.h"
#include "stallmeter.h"
#include "toolrun.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using namespace bench;

namespace {

// ours within twice ripgrep's time; the first page on screen within 100 ms; no stall of the
// window over 50 ms.
constexpr double kRatioGoal = 0.5;
constexpr double kFirstGoalMs = 100;
constexpr double kStallGoalMs = 50;

// Notes when the watched widget is first painted once armed.
class FirstPaint final : public QObject
{
public:
    std::optional<double> ms;
    const Stopwatch *clock = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (clock && !ms && event->type() == QEvent::Paint)
            ms = clock->read().wallMs;
        return QObject::eventFilter(watched, event);
    }
};

// Every match the list holds: the rows under the pages' rows.
int matchesListed(const QTreeWidget &results)
{
    int matches = 0;
    for (int page = 0; page < results.topLevelItemCount(); ++page)
        matches += results.topLevelItem(page)->childCount();
    return matches;
}

struct Measure
{
    double ms = 0;
    double firstMs = 0;
    double stallMs = 0;
    long long matches = 0;
};

// ripgrep as a user runs it over each half, the Shift_JIS half told its encoding: two processes,
// their times added, start-ups and all.
Measure floorSearch(const SitePages::Site &site, const QString &word)
{
    Measure floor;
    for (const SitePages::Half *half : {&site.shiftJis, &site.utf8}) {
        QList<QByteArray> arguments = {"--count-matches", "--fixed-strings"};
        if (half->encoding == SitePages::Encoding::ShiftJis)
            arguments += {"--encoding", "shift_jis"};
        arguments += {"--", word.toUtf8()};
        for (const QString &folder : half->folders)
            arguments.append(folder.toLocal8Bit());
        const ToolRun::Result rg = ToolRun::run("rg", arguments);
        // 1: nothing found, which the counts then tell.
        if (rg.exitCode != 0 && rg.exitCode != 1)
            fail("rg failed (is the ripgrep package installed?)");
        floor.ms += rg.ms;
        // One "path:count" line per page with matches.
        for (const QByteArray &line : QByteArray::fromStdString(rg.output).split('\n')) {
            if (const qsizetype colon = line.lastIndexOf(':'); colon >= 0)
                floor.matches += line.mid(colon + 1).toLongLong();
        }
    }
    return floor;
}

struct Line
{
    const char *name;
    const QString &word;
    qsizetype expected;
};

bool runLine(const char *self, const SitePages::Site &site, const Line &line)
{
    const QByteArray word = line.word.toUtf8();
    const QByteArray root = site.root.toLocal8Bit();
    std::vector<double> ours, oursFirst, oursStall, floor;
    std::vector<long long> oursMatches, floorMatches;
    for (int round = 0; round < kRounds; ++round) {
        const ChildValues child = runBenchChild(self, {"search", word.constData(), root.constData()});
        ours.push_back(child.number("ours_ms"));
        oursFirst.push_back(child.number("first_ms"));
        oursStall.push_back(child.number("stall_ms"));
        oursMatches.push_back(static_cast<long long>(child.number("matches")));
        const Measure rg = floorSearch(site, line.word);
        floor.push_back(rg.ms);
        floorMatches.push_back(rg.matches);
    }
    const double oursMs = median(ours);
    const double floorMs = median(floor);
    const double ratio = floorMs / oursMs;
    const double firstMs = median(oursFirst);
    const double stallMs = median(oursStall);
    std::printf("site_bench %s %s ours_ms=%.1f floor_ms=%.1f ratio=%.3f ours_matches=%lld floor_matches=%lld "
                "first_ms=%.1f stall_ms=%.1f goal=%.1f\n",
                line.name,
                SitePages::kLabel,
                oursMs,
                floorMs,
                ratio,
                oursMatches.front(),
                floorMatches.front(),
                firstMs,
                stallMs,
                kRatioGoal);
    std::fflush(stdout);
    bool agreed = true;
    for (int round = 0; round < kRounds; ++round)
        agreed &= oursMatches[round] == line.expected && floorMatches[round] == line.expected;
    if (!agreed)
        std::fprintf(stderr,
                     "site_bench: %s: the pages hold %lld matches; a run counted otherwise\n",
                     line.name,
                     static_cast<long long>(line.expected));
    return agreed && ratio >= kRatioGoal && firstMs <= kFirstGoalMs && stallMs <= kStallGoalMs;
}

} // namespace

namespace SiteSearchLines {

void runChild(int &argc, char **argv)
{
    const ChildApplication app(argc, argv, true);
    SiteWindow window(QString::fromLocal8Bit(argv[4]));
    auto &search = window.control<SiteSearchCommands>();
    auto &results = window.control<QTreeWidget>("SiteSearchResults");
    window.control<QLineEdit>("SiteSearchEdit").setText(QString::fromUtf8(argv[3]));
    // ripgrep's --fixed-strings tells the letter case apart: ours is asked the same.
    window.control<QCheckBox>("SiteSearchMatchCase").setChecked(true);
    auto &start = window.control<QPushButton>("SiteSearchStart");
    SiteWindow::settle();

    // The first page is on screen when the list paints after its row came.
    FirstPaint firstPaint;
    results.viewport()->installEventFilter(&firstPaint);
    std::optional<Stopwatch> watch;
    QObject::connect(results.model(), &QAbstractItemModel::rowsInserted, &firstPaint, [&](const QModelIndex &parent) {
        if (!parent.isValid() && !firstPaint.clock)
            firstPaint.clock = &*watch;
    });
    std::optional<double> finishedMs;
    QObject::connect(&search, &SiteSearchCommands::finished, &firstPaint, [&] { finishedMs = watch->read().wallMs; });

    StallMeter meter;
    meter.start();
    watch.emplace();
    QTest::mouseClick(&start, Qt::LeftButton);
    while (!finishedMs || (!firstPaint.ms && results.topLevelItemCount() > 0))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // What the end of the run left to lay out and paint counts in the stalls too.
    QTest::qWait(200);
    const double stallMs = meter.stopMs();

    std::printf("ours_ms %.3f\nfirst_ms %.3f\nstall_ms %.3f\nmatches %d\n",
                *finishedMs,
                firstPaint.ms.value_or(-1),
                stallMs,
                matchesListed(results));
    std::fflush(stdout);
    // Leave without tearing the window and the browser engine down: nothing of that is measured.
    std::_Exit(0);
}

bool run(const char *self, const SitePages::Site &site)
{
    bool met = runLine(self, site, {"search_ascii", SitePages::kAsciiWord, site.asciiMatches()});
    met &= runLine(self, site, {"search_japanese", SitePages::kJapaneseWord, site.japaneseMatches()});
    return met;
}

} // namespace SiteSearchLines
