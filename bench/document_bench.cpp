// document_bench: how long do opening and saving a large Shift_JIS page take, next to the
// platform's own floor measured in the same run? For 1, 5 and 20 MiB pages:
//
//   open: our reading (decode with encoding detection, text into the editor) against one
//         bulk iconv call and QTextEdit::setPlainText;
//   save: our writing as the window does it (text out of the pane, the check for characters
//         Shift_JIS cannot hold, encode, atomic write) against toPlainText, one bulk iconv call
//         and a plain write;
//
// each five times, interleaved, every run a process of its own so that its peak memory can be
// read alone. Prints medians:
//
//   document_bench <op> <size> ours_ms=<x> floor_ms=<y> ratio=<x/y> peak_rss_mb=<ours> floor_peak_rss_mb=<floor>
//
// The goal is ratio <= 1.3 for both operations at every size, and an open's peak memory at most
// 1.5 times the floor's. Run with no arguments.

#include "authoring/editoradapter.h"
#include "authoring/editorfile.h"
#include "authoring/editorstack.h"
#include "childrun.h"
#include "common/unencodablecharacters.h"
#include "workspace/documentfile.h"

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;
constexpr int kSizesMiB[] = {1, 5, 20};
constexpr double kGoalRatio = 1.3;

// A page as beginners write them: markup, Japanese prose with kanji and kana, half-width kana
// and the odd symbol, CR LF line ends.
QByteArray makePage(qsizetype size)
{
    const QByteArray line =
        QByteArray("<p>")
        + QByteArray(
            "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57\x82\xc5\x82\xb7\x81\x42") // 日本語のページです。
        + QByteArray(" <b>\xb6\xc0\xb6\xc5</b> ")                                               // ｶﾀｶﾅ
        + QByteArray("\x81\x9a\x8e\x71\x82\xc7\x82\xe0\x82\xcc\x8a\x47</p>\r\n");               // ★子どもの絵
    QByteArray page = "<html><head><title>bench</title></head><body>\r\n";
    while (page.size() < size)
        page += line;
    page += "</body></html>\r\n";
    return page;
}

QByteArray bulkIconv(const char *to, const char *from, const QByteArray &in)
{
    iconv_t cd = iconv_open(to, from);
    QByteArray out(in.size() * 2 + 16, Qt::Uninitialized);
    char *inPtr = const_cast<char *>(in.constData());
    size_t inLeft = size_t(in.size());
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());
    iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

void floorLoad(QTextEdit &editor, const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray utf16 = bulkIconv("UTF-16LE", "CP932", file.readAll());
    editor.setPlainText(QString(reinterpret_cast<const QChar *>(utf16.constData()), utf16.size() / 2));
}

void floorSave(QTextEdit &editor, const QString &path)
{
    QString text = editor.toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const QByteArray bytes =
        bulkIconv("CP932", "UTF-16LE", QByteArray(reinterpret_cast<const char *>(text.constData()), text.size() * 2));
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

// One measured run, in this process: prints the milliseconds of the measured part.
int runChild(int argc, char **argv)
{
    const std::string who = argv[2];
    const std::string op = argv[3];
    const QString page = QString::fromLocal8Bit(argv[4]);
    const QString out = page + QStringLiteral(".out");
    QApplication app(argc, argv);
    QTextEdit editor;
    QElapsedTimer timer;
    double ms = 0;
    if (who == "ours") {
        EditorStack stack;
        timer.start();
        const TextFormat format = EditorFile::load(stack, page, true);
        ms = timer.nsecsElapsed() / 1e6;
        if (op == "save") {
            // As the window saves a page: the pane's text, its check for what Shift_JIS cannot
            // hold, then the write.
            timer.start();
            QString text = EditorAdapter(stack).text();
            if (UnencodableCharacters::find(text).isEmpty())
                DocumentFile::savePlain(out, std::move(text), format);
            ms = timer.nsecsElapsed() / 1e6;
        }
    } else {
        timer.start();
        floorLoad(editor, page);
        ms = timer.nsecsElapsed() / 1e6;
        if (op == "save") {
            timer.start();
            floorSave(editor, out);
            ms = timer.nsecsElapsed() / 1e6;
        }
    }
    std::printf("%.3f\n", ms);
    return 0;
}

struct Run
{
    double ms = 0;
    double peakMiB = 0;
};

Run runMeasured(const char *self, const char *who, const char *op, const QString &page)
{
    const QByteArray pagePath = page.toLocal8Bit();
    const bench::ChildRun run = bench::runChild("document_bench", self, {who, op, pagePath.constData()});
    return {std::stod(run.output), run.peakMiB};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::string(argv[1]) == "--child")
        return runChild(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    bool met = true;
    for (const int mib : kSizesMiB) {
        const QString page = scratch.filePath(QStringLiteral("page%1.htm").arg(mib));
        QFile file(page);
        file.open(QIODevice::WriteOnly);
        file.write(makePage(qsizetype(mib) * 1024 * 1024));
        file.close();
        for (const char *op : {"open", "save"}) {
            std::vector<double> ours, floor, oursPeak, floorPeak;
            for (int round = 0; round < kRounds; ++round) {
                const Run a = runMeasured(argv[0], "ours", op, page);
                const Run b = runMeasured(argv[0], "floor", op, page);
                ours.push_back(a.ms);
                oursPeak.push_back(a.peakMiB);
                floor.push_back(b.ms);
                floorPeak.push_back(b.peakMiB);
            }
            const double ratio = bench::median(ours) / bench::median(floor);
            const double peakRatio = bench::median(oursPeak) / bench::median(floorPeak);
            std::printf("document_bench %s %dMiB ours_ms=%.1f floor_ms=%.1f ratio=%.3f peak_rss_mb=%.0f "
                        "floor_peak_rss_mb=%.0f\n",
                        op,
                        mib,
                        bench::median(ours),
                        bench::median(floor),
                        ratio,
                        bench::median(oursPeak),
                        bench::median(floorPeak));
            std::fflush(stdout);
            met &= ratio <= kGoalRatio && (std::string(op) != "open" || peakRatio <= 1.5);
        }
    }
    std::printf("document_bench goal %s\n", met ? "met" : "missed");
    return 0;
}
