// The page check on generated pages of 100 KiB and 1 MiB with a known number of faults, against
// a floor of libtidy alone in this same process: the same parse, repair and diagnosis of the same
// page, handed over as UTF-8 and with every message reported to a callback that keeps none. So
// the ratio is what our own work adds to tidy's (the UTF-8 text, the rows and their sentences,
// our own checks). Rounds alternate ours and the floor; medians of five, in wall time and in the
// process's CPU time (our own tag pass runs on a second thread; on a busy machine the CPU times
// still compare the work done).
// Prints: check_bench <size> ours_ms=… floor_ms=… ratio=… cpu_ms=… floor_cpu_ms=… cpu_ratio=…
//         rows=… faults=…
#include "pagecheck/pagecheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>
#include <vector>

namespace {

constexpr int kRuns = 5;
// Every this many blocks one of the faults below, in turn.
constexpr int kFaultEvery = 10;

struct Page
{
    QString text;
    int faults = 0;
};

// Blocks of ordinary Japanese markup with a tab in it; every tenth carries one fault: an
// unclosed <b>, an image without alt, a link to a missing file, a link whose case differs.
Page generate(qsizetype bytes)
{
    Page page;
    page.text = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\"><meta name=\"viewport\" "
                               "content=\"width=device-width\"><title>bench</title></head>\n<body>\n");
    qsizetype written = page.text.toUtf8().size();
    for (int block = 0; written < bytes - 200; ++block) {
        QString body = QStringLiteral("<div id=\"b%1\">\n<p>日本語の文章です。\t<b>太字</b>と<i>斜体</i>。</p>\n"
                                      "<p><a href=\"index.html\">目次</a> <img src=\"logo.png\" alt=\"ロゴ\"></p>\n");
        if (block % kFaultEvery == kFaultEvery - 1) {
            static const char *const faults[] = {
                "<p><b>閉じ忘れ</p>\n",
                "<p><img src=\"logo.png\"></p>\n",
                "<p><a href=\"missing.html\">ない</a></p>\n",
                "<p><a href=\"INDEX.html\">大文字</a></p>\n",
            };
            body += QString::fromUtf8(faults[(block / kFaultEvery) % 4]);
            ++page.faults;
        }
        body += QStringLiteral("</div>\n");
        body = body.arg(block);
        written += body.toUtf8().size();
        page.text += body;
    }
    page.text += QStringLiteral("</body></html>\n");
    return page;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Times
{
    std::vector<double> wall;
    std::vector<double> cpu;

    void measure(const std::function<void()> &run)
    {
        QElapsedTimer timer;
        const double cpuStart = cpuMs();
        timer.start();
        run();
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(cpuMs() - cpuStart);
    }
};

Bool TIDY_CALL keepNothing(TidyMessage)
{
    return no;
}

// What libtidy does for the check, and nothing of ours: the options the check sets, parse, repair
// and diagnosis.
void tidyAlone(const QByteArray &utf8)
{
    TidyDoc doc = tidyCreate();
    tidySetMessageCallback(doc, keepNothing);
    tidySetInCharEncoding(doc, "utf8");
    tidyOptSetInt(doc, TidyShowErrors, 1000000);
    tidyOptSetBool(doc, TidyShowWarnings, yes);
    tidyOptSetBool(doc, TidyQuiet, yes);
    tidyOptSetInt(doc, TidyTabSize, 8);
    TidyBuffer input;
    tidyBufInit(&input);
    tidyBufAttach(&input, reinterpret_cast<byte *>(const_cast<char *>(utf8.constData())), uint(utf8.size()));
    if (tidyParseBuffer(doc, &input) >= 0) {
        tidyCleanAndRepair(doc);
        tidyRunDiagnostics(doc);
    }
    tidyBufDetach(&input);
    tidyRelease(doc);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir site;
    if (!site.isValid())
        return 1;
    for (const char *name : {"index.html", "logo.png"}) {
        QFile file(QDir(site.path()).filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
    }
    const struct
    {
        const char *label;
        qsizetype bytes;
    } sizes[] = {{"100KiB", 100 * 1024}, {"1MiB", 1024 * 1024}};
    for (const auto &size : sizes) {
        const Page page = generate(size.bytes);
        const QByteArray utf8 = page.text.toUtf8();
        qsizetype rows = 0;
        Times ours;
        Times floor;
        for (int round = 0; round < kRuns; ++round) {
            ours.measure([&] {
                rows = PageCheck::run({page.text, site.path(), TextFormat::Encoding::Utf8, {}}).size();
            });
            floor.measure([&] { tidyAlone(utf8); });
        }
        const double oursMs = median(ours.wall);
        const double floorMs = median(floor.wall);
        const double oursCpu = median(ours.cpu);
        const double floorCpu = median(floor.cpu);
        std::printf("check_bench %s ours_ms=%.1f floor_ms=%.1f ratio=%.2f cpu_ms=%.1f floor_cpu_ms=%.1f "
                    "cpu_ratio=%.2f rows=%lld faults=%d\n",
                    size.label,
                    oursMs,
                    floorMs,
                    oursMs / floorMs,
                    oursCpu,
                    floorCpu,
                    oursCpu / floorCpu,
                    static_cast<long long>(rows),
                    page.faults);
        std::fflush(stdout);
    }
    return 0;
}
