#include "imelines.h"

#include "benchchild.h"
#include "benchpage.h"
#include "benchwindow.h"
#include "childrun.h"
#include "typist.h"

#include <QPlainTextEdit>

#include <cstdio>
#include <string>
#include <vector>

using namespace bench;

namespace {

constexpr int kPageMiB = 20;
// Ten characters, as Mozc converts a short phrase: 日本語の短い文章です.
const QString kConverted = QStringLiteral("日本語の短い文章です");

} // namespace

namespace ImeLines {

void runCommits(const Typist &subject)
{
    std::vector<double> wall, cpu;
    for (int round = 0; round < kRounds; ++round) {
        // Near the top, a different line each round, so that none finds it laid out already.
        subject.putCaretAtBlock(3 + round);
        subject.compose(kConverted);
        ScreenWindow::pause();
        const Cost cost = subject.commit(kConverted);
        wall.push_back(cost.wallMs);
        cpu.push_back(cost.cpuMs);
        subject.undo();
    }
    std::printf("ime_commit_top %.3f\nime_commit_top_cpu %.3f\n", median(wall), median(cpu));
    std::fflush(stdout);
}

bool run(const char *self, const QString &scratch)
{
    const QString page = scratch + QStringLiteral("/page%1.htm").arg(kPageMiB);
    BenchPage::write(page, qsizetype(kPageMiB) * 1024 * 1024);
    const QByteArray pagePath = page.toLocal8Bit();
    qputenv("QT_QPA_PLATFORM", "xcb");
    const ChildValues ours = runBenchChild(self, {"ime", "ours", pagePath.constData()});
    const ChildValues floor =
        runBenchChild(self, {"ime", "floor", pagePath.constData(), ours.text("layout"), ours.text("font")});
    const double oursMs = ours.number("ime_commit_top");
    const double floorMs = floor.number("ime_commit_top");
    printLine("ime_commit_top", std::to_string(kPageMiB) + "MiB", oursMs, floorMs);
    std::printf(" cpu_ms=%.1f floor_cpu_ms=%.1f composition=%s\n",
                ours.number("ime_commit_top_cpu"),
                floor.number("ime_commit_top_cpu"),
                ours.text("composition"));
    std::fflush(stdout);
    return oursMs <= 2 * floorMs && oursMs <= kFrameMs;
}

} // namespace ImeLines
