// The page check on generated pages of 100 KiB and 1 MiB with a known number of faults, against
// tidy alone (`tidy -q -e`) on the same text in the same run. Medians of five runs each.
// Prints: check_bench <size> ours_ms=… tidy_ms=… ratio=… rows=… faults=…
#include "pagecheck/pagecheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
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
    page.text =
        QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\"><title>bench</title></head>\n<body>\n");
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

double medianMs(const std::function<void()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
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
        const QString pagePath = QDir(site.path()).filePath(QStringLiteral("page.html"));
        QFile file(pagePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        file.write(page.text.toUtf8());
        file.close();

        qsizetype rows = 0;
        const double ours = medianMs([&] {
            rows = PageCheck::run({page.text, site.path(), TextFormat::Encoding::Utf8, {}}).size();
        });
        const double tidy = medianMs([&] {
            QProcess process;
            process.start(QStringLiteral("tidy"), {QStringLiteral("-q"), QStringLiteral("-e"), pagePath});
            process.waitForFinished(-1);
        });
        std::printf("check_bench %s ours_ms=%.1f tidy_ms=%.1f ratio=%.2f rows=%lld faults=%d\n",
                    size.label,
                    ours,
                    tidy,
                    ours / tidy,
                    static_cast<long long>(rows),
                    page.faults);
        std::fflush(stdout);
    }
    return 0;
}
