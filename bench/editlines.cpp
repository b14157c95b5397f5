#include "editlines.h"

#include "app/mainwindow.h"
#include "authoring/htmlhighlighter.h"
#include "authoring/sourceview.h"
#include "benchbasics.h"
#include "benchchild.h"
#include "benchpage.h"
#include "benchwindow.h"
#include "childrun.h"
#include "common/regularfile.h"
#include "common/textcodec.h"
#include "floorwindow.h"
#include "imelines.h"
#include "programwindow.h"
#include "typist.h"
#include "workspace/panetext.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace bench;

namespace {

constexpr int kSizesMiB[] = {2, 20};

// One editor of either kind, offscreen, open on the page and shown.
[[noreturn]] void runOpen(const QString &path, bool ours)
{
    const Stopwatch watch;
    const QByteArray bytes = RegularFile::readAll(path, RegularFile::kDocumentLimit);
    QPlainTextEdit *editor = nullptr;
    if (ours) {
        auto *view = new SourceView;
        view->setPlainText(PaneText::fromDocument(TextCodec::decode(bytes).text));
        editor = view;
    } else {
        editor = new QPlainTextEdit;
        editor->setPlainText(BenchPage::floorDecode(bytes));
    }
    editor->resize(800, 600);
    editor->show();
    editor->viewport()->repaint();
    QApplication::processEvents();
    if (ours) {
        const HtmlHighlighter *highlighter = static_cast<SourceView *>(editor)->highlighter();
        while (highlighter && highlighter->hasPendingWork())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QApplication::processEvents();
    const Cost cost = watch.read();
    std::printf("wall %.3f\ncpu %.3f\n", cost.wallMs, cost.cpuMs);
    std::fflush(stdout);
    // Leave without tearing the page down: its memory is not what is measured.
    std::_Exit(0);
}

void runEdits(const Typist &subject)
{
    QPlainTextEdit &editor = subject.editor();
    const int blocks = editor.document()->blockCount();
    std::map<std::string, std::vector<double>> times;
    const auto note = [&times](const std::string &name, Cost cost) {
        times[name].push_back(cost.wallMs);
        times[name + "_cpu"].push_back(cost.cpuMs);
    };
    for (int round = 0; round < kRounds; ++round) {
        const struct
        {
            const char *name;
            int block;
        } places[] = {{"key_top", 3 + round}, {"key_middle", blocks / 2 + round}, {"key_end", blocks - 2 - round}};
        for (const auto &place : places) {
            subject.putCaretAtBlock(place.block);
            note(place.name, subject.typeKey('x'));
            subject.undo();
        }
        // The caret moved from the top to the middle (a different middle line each round, so
        // that no round finds it coloured already).
        subject.putCaretAtBlock(0);
        const Stopwatch watch;
        editor.setTextCursor(QTextCursor(editor.document()->findBlockByNumber(blocks / 2 + 997 * round)));
        subject.showNow();
        note("caret_middle", watch.read());
        subject.settle();

        subject.putCaretAtBlock(4 + round);
        Cost slowest;
        for (const char key : {'<', '!', '-', '-'}) {
            ScreenWindow::pause();
            const Cost cost = subject.typeKey(key);
            slowest = {std::max(slowest.wallMs, cost.wallMs), std::max(slowest.cpuMs, cost.cpuMs)};
        }
        note("comment_top", slowest);
        for (int i = 0; i < 4; ++i)
            editor.undo();
        subject.settle();
    }
    for (const auto &[name, values] : times)
        std::printf("%s %.3f\n", name.c_str(), median(values));
    std::fflush(stdout);
}

using Steps = std::function<void(const Typist &)>;

// The program's window: the page opened through ファイルを開く and rendered into the preview
// with 反映.
[[noreturn]] void runOurEdits(const QString &page, const Steps &steps)
{
    ProgramWindow program;
    ScreenWindow screen;
    program.showAndWarmUp(screen);
    program.open(page);
    SourceView &editor = program.editor();
    if (editor.document()->characterCount() < 1000)
        fail("the page was not opened");
    waitForLoad(program.preview(),
                [&program] { program.window().findChild<QAbstractButton *>(QStringLiteral("Button1"))->click(); });
    screen.focus(editor);
    std::printf("layout %s\n", program.layout().toArgument().c_str());
    std::printf("font %s\n", qUtf8Printable(editor.font().toString()));
    steps(Typist(screen, editor));
    // Leave without tearing the windows and the browser engine down: nothing of that is measured.
    std::_Exit(0);
}

// The floor: the view showing the page, the editor holding it.
[[noreturn]] void runFloorEdits(const QString &page, const Layout &layout, const QString &font, const Steps &steps)
{
    QPlainTextEdit *editor = FloorWindow::makeEditor(font);
    FloorWindow floor(layout, editor);
    ScreenWindow screen;
    screen.present(floor.window(), *editor);
    waitForLoad(floor.preview(), [&floor, &page] { floor.preview().load(QUrl::fromLocalFile(page)); });
    editor->setPlainText(BenchPage::floorDecode(RegularFile::readAll(page, RegularFile::kDocumentLimit)));
    screen.focus(*editor);
    steps(Typist(screen, *editor));
    std::_Exit(0);
}

} // namespace

namespace EditLines {

void runChild(int &argc, char **argv, const QString &page, bool ours)
{
    if (std::string(argv[2]) == "open") {
        QApplication app(argc, argv);
        runOpen(page, ours);
    }
    const Steps steps = std::string(argv[2]) == "ime" ? Steps(ImeLines::runCommits) : Steps(runEdits);
    const ChildApplication app(argc, argv, ours);
    if (ours) {
        std::printf("composition %s\n", app.software ? "software" : "opengl");
        runOurEdits(page, steps);
    }
    if (argc != 7)
        fail("the floor needs ours' layout and font");
    runFloorEdits(page, Layout::fromArgument(argv[5]), QString::fromUtf8(argv[6]), steps);
}

bool run(const char *self, const QString &scratch)
{
    bool met = true;
    for (const int mib : kSizesMiB) {
        const QString page = scratch + QStringLiteral("/page%1.htm").arg(mib);
        BenchPage::write(page, qsizetype(mib) * 1024 * 1024);
        const std::string size = std::to_string(mib) + "MiB";

        const QByteArray pagePath = page.toLocal8Bit();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        std::vector<double> ms[2], cpu[2], peak[2];
        for (int round = 0; round < kRounds; ++round) {
            for (int who = 0; who < 2; ++who) {
                const ChildValues child =
                    runBenchChild(self, {"open", who == 0 ? "ours" : "floor", pagePath.constData()});
                ms[who].push_back(child.number("wall"));
                cpu[who].push_back(child.number("cpu"));
                peak[who].push_back(child.peakMiB);
            }
        }
        const double wallRatio = median(ms[0]) / median(ms[1]);
        const double cpuRatio = median(cpu[0]) / median(cpu[1]);
        const double peakRatio = median(peak[0]) / median(peak[1]);
        printLine("open", size, median(ms[0]), median(ms[1]));
        std::printf(" cpu_ms=%.1f floor_cpu_ms=%.1f peak_rss_mb=%.0f floor_peak_rss_mb=%.0f\n",
                    median(cpu[0]),
                    median(cpu[1]),
                    median(peak[0]),
                    median(peak[1]));
        std::fflush(stdout);
        met &= wallRatio <= 1.5 && cpuRatio <= 1.5 && peakRatio <= 1.5;

        qputenv("QT_QPA_PLATFORM", "xcb");
        const ChildValues ours = runBenchChild(self, {"edit", "ours", pagePath.constData()});
        const ChildValues floor =
            runBenchChild(self, {"edit", "floor", pagePath.constData(), ours.text("layout"), ours.text("font")});
        for (const char *op : {"key_top", "key_middle", "key_end", "caret_middle", "comment_top"}) {
            const std::string name = op;
            if (name == "caret_middle" && mib != 20)
                continue;
            const double oursMs = ours.number(name);
            const double floorMs = floor.number(name);
            printLine(op, size, oursMs, floorMs);
            std::printf(" cpu_ms=%.1f floor_cpu_ms=%.1f composition=%s\n",
                        ours.number(name + "_cpu"),
                        floor.number(name + "_cpu"),
                        ours.text("composition"));
            std::fflush(stdout);
            if (name.starts_with("key_"))
                met &= oursMs <= 2 * floorMs && oursMs <= kFrameMs;
            else if (name == "caret_middle")
                met &= oursMs <= 2 * floorMs;
            else
                met &= oursMs <= kFrameMs;
        }
    }
    return met;
}

} // namespace EditLines
