#include "tablines.h"

#include "app/mainwindow.h"
#include "authoring/sourceview.h"
#include "benchbasics.h"
#include "benchchild.h"
#include "benchpage.h"
#include "benchwindow.h"
#include "childrun.h"
#include "common/regularfile.h"
#include "floorwindow.h"
#include "programwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTabWidget>
#include <QTest>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace bench;

namespace {

constexpr int kPages = 50;
constexpr qsizetype kPageSize = 100 * 1024;
constexpr int kStartupPages = 20;
// Through all the pages twice.
constexpr int kSwitches = 2 * kPages;
const std::string kPagesLabel = std::to_string(kPages) + "x" + std::to_string(kPageSize / 1024) + "KiB";

// What the tab lines do in a window of either kind.
class TabbedWindow
{
public:
    virtual ~TabbedWindow() = default;
    // The page opened into a tab of its own, in front.
    virtual void open(const QString &page) = 0;
    // The editor of the page in front.
    virtual QPlainTextEdit &front() const = 0;
    virtual int pageCount() const = 0;
};

// The program's window: pages opened with ファイルを開く; the switching keys and Ctrl+W are the
// program's own.
class OurTabs final : public TabbedWindow
{
public:
    explicit OurTabs(ProgramWindow &program) : m_program(program) {}
    void open(const QString &page) override { m_program.open(page); }
    QPlainTextEdit &front() const override { return m_program.editor(); }
    int pageCount() const override { return m_program.pageCount(); }

private:
    ProgramWindow &m_program;
};

// The floor: bare editors in a QTabWidget, the page read in the simplest way; Ctrl+PageDown goes
// to the next tab and Ctrl+W closes the one in front, leaving a blank page after the last, as
// ours does. The view shows the page in front, loaded from its file, once another tab comes to
// the front: ours' preview, too, renders the page a switch or a close brings forward, and not
// the page just opened, still empty when its tab comes to the front.
class FloorTabs final : public TabbedWindow
{
public:
    FloorTabs(const Layout &layout, QString font)
        : m_font(std::move(font)), m_tabs(new QTabWidget), m_floor(layout, m_tabs)
    {
        addBlank();
        QObject::connect(m_tabs, &QTabWidget::currentChanged, m_tabs, [this](int index) {
            if (const QString page = m_tabs->tabToolTip(index); !page.isEmpty())
                m_floor.preview().load(QUrl::fromLocalFile(page));
        });
        auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), &m_floor.window());
        QObject::connect(next, &QShortcut::activated, m_tabs, [this] {
            m_tabs->setCurrentIndex((m_tabs->currentIndex() + 1) % m_tabs->count());
        });
        auto *close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), &m_floor.window());
        QObject::connect(close, &QShortcut::activated, m_tabs, [this] { closeFront(); });
    }

    FloorWindow &floor() { return m_floor; }

    void open(const QString &page) override
    {
        QPlainTextEdit *editor = std::exchange(m_blank, nullptr);
        if (!editor) {
            editor = FloorWindow::makeEditor(m_font);
            m_tabs->setCurrentIndex(m_tabs->addTab(editor, QString()));
        }
        editor->setPlainText(BenchPage::floorDecode(RegularFile::readAll(page, RegularFile::kDocumentLimit)));
        const int index = m_tabs->indexOf(editor);
        m_tabs->setTabText(index, QFileInfo(page).fileName());
        m_tabs->setTabToolTip(index, page);
        editor->setFocus();
    }
    QPlainTextEdit &front() const override { return *static_cast<QPlainTextEdit *>(m_tabs->currentWidget()); }
    int pageCount() const override { return m_tabs->count(); }

private:
    void addBlank()
    {
        m_blank = FloorWindow::makeEditor(m_font);
        m_tabs->addTab(m_blank, QStringLiteral("無題"));
    }
    void closeFront()
    {
        // The tab goes with its editor, and the right neighbour, else the left, comes forward.
        delete m_tabs->currentWidget();
        if (m_tabs->count() == 0)
            addBlank();
        front().setFocus();
    }

    QString m_font;
    QTabWidget *m_tabs;
    FloorWindow m_floor;
    QPlainTextEdit *m_blank = nullptr;
};

// The times of one kind of step in a run: wall time, and this process's CPU time.
struct StepTimes
{
    const char *name;
    std::vector<double> ms;
    std::vector<double> cpuMs;

    void print() const
    {
        std::printf("%s_ms %.3f\n%s_max %.3f\n%s_cpu %.3f\n",
                    name,
                    median(ms),
                    name,
                    *std::max_element(ms.begin(), ms.end()),
                    name,
                    median(cpuMs));
    }
};

// Opens the pages one by one, goes through them all twice with Ctrl+PageDown, and closes them
// with Ctrl+W. Each step is timed from its start until the window shows the page then in front,
// and followed by a typist's pause once the colours are done.
void runTabSteps(ScreenWindow &screen, TabbedWindow &window, const QStringList &pages)
{
    const auto timed = [&screen, &window](StepTimes &times, const std::function<void()> &step) {
        const Stopwatch watch;
        step();
        QPlainTextEdit &shown = window.front();
        screen.showNow(shown);
        const Cost cost = watch.read();
        times.ms.push_back(cost.wallMs);
        times.cpuMs.push_back(cost.cpuMs);
        ScreenWindow::settle(shown);
    };
    // The keys go where the keyboard sends them: to the editor in front, which has the focus.
    const auto press = [&window](Qt::Key key) {
        QPlainTextEdit &front = window.front();
        if (QApplication::focusWidget() != &front)
            fail("the page in front does not have the keyboard");
        QTest::keyPress(&front, key, Qt::ControlModifier);
    };
    StepTimes opens{"open", {}, {}}, switches{"switch", {}, {}}, closes{"close", {}, {}};
    for (const QString &page : pages)
        timed(opens, [&] { window.open(page); });
    if (window.pageCount() != pages.size())
        fail("the pages did not all get tabs");
    for (int i = 0; i < kSwitches; ++i) {
        const QPlainTextEdit *before = &window.front();
        timed(switches, [&] { press(Qt::Key_PageDown); });
        if (&window.front() == before)
            fail("Ctrl+PageDown did not bring another page forward");
    }
    for (qsizetype left = pages.size(); left > 0; --left) {
        timed(closes, [&] { press(Qt::Key_W); });
        if (window.pageCount() != std::max<qsizetype>(left - 1, 1))
            fail("Ctrl+W did not close the page");
    }
    for (const StepTimes *times : {&opens, &switches, &closes})
        times->print();
    std::fflush(stdout);
}

[[noreturn]] void runOurTabs(const QStringList &pages)
{
    ProgramWindow program;
    ScreenWindow screen;
    program.showAndWarmUp(screen);
    screen.focus(program.editor());
    std::printf("layout %s\n", program.layout().toArgument().c_str());
    std::printf("font %s\n", qUtf8Printable(program.editor().font().toString()));
    OurTabs tabs(program);
    runTabSteps(screen, tabs, pages);
    // Leave without tearing the windows and the browser engine down: nothing of that is measured.
    std::_Exit(0);
}

[[noreturn]] void runFloorTabs(const QStringList &pages, const Layout &layout, const QString &font)
{
    FloorTabs tabs(layout, font);
    ScreenWindow screen;
    screen.present(tabs.floor().window(), tabs.front());
    // The browser engine started on a blank page, as ours' is.
    waitForLoad(tabs.floor().preview(), [&tabs] { tabs.floor().preview().load(QUrl(QStringLiteral("about:blank"))); });
    screen.focus(tabs.front());
    runTabSteps(screen, tabs, pages);
    std::_Exit(0);
}

// A run that ends as a user ends the program, with the pages open: what it leaves in the data
// folder is what the next start finds.
[[noreturn]] void runSession(const QStringList &pages, const QString &home)
{
    {
        ProgramWindow program(home);
        ScreenWindow screen;
        screen.present(program.window(), program.editor());
        for (const QString &page : pages)
            program.open(page);
        program.window().close();
    }
    std::exit(0);
}

// From the process's start (its parent's clock before the fork) until the main window is first
// shown: what main() does up to its show, the tabs of the last run brought back before it.
[[noreturn]] void runStartup(int &argc, char **argv, const QString &home, long long startNs)
{
    const ChildApplication app(argc, argv, true);
    ProgramWindow program(home);
    program.window().restoreSession();
    ScreenWindow screen;
    screen.present(program.window(), program.editor());
    std::printf("startup_ms %.3f\n", double(monotonicNs() - startNs) / 1e6);
    std::fflush(stdout);
    std::_Exit(0);
}

// Median over the rounds of one value the children printed.
double medianOf(const std::vector<ChildValues> &runs, const std::string &name)
{
    std::vector<double> values;
    for (const ChildValues &run : runs)
        values.push_back(name == "peak" ? run.peakMiB : run.number(name));
    return median(values);
}

bool runTabs(const char *self, const QString &folder)
{
    const QByteArray folderArgument = folder.toLocal8Bit();
    std::vector<ChildValues> ours, floor;
    for (int round = 0; round < kRounds; ++round) {
        ours.push_back(runBenchChild(self, {"tabs", "ours", folderArgument.constData()}));
        floor.push_back(runBenchChild(
            self, {"tabs", "floor", folderArgument.constData(), ours.back().text("layout"), ours.back().text("font")}));
    }
    const double peak = medianOf(ours, "peak");
    const double floorPeak = medianOf(floor, "peak");
    bool met = peak <= 1.5 * floorPeak;
    for (const std::string step : {"open", "switch", "close"}) {
        const double oursMs = medianOf(ours, step + "_ms");
        const double floorMs = medianOf(floor, step + "_ms");
        printLine(("tabs_" + step).c_str(), kPagesLabel, oursMs, floorMs);
        if (step == "switch") {
            // The slowest switch of a run, median of the runs.
            const double oursMax = medianOf(ours, step + "_max");
            const double floorMax = medianOf(floor, step + "_max");
            std::printf(" max_ms=%.1f floor_max_ms=%.1f", oursMax, floorMax);
            met &= oursMs <= kFrameMs && oursMs <= 2 * floorMs && oursMax <= kFrameMs && oursMax <= 2 * floorMax;
        } else {
            met &= oursMs <= 1.5 * floorMs;
        }
        std::printf(" peak_rss_mb=%.0f floor_peak_rss_mb=%.0f cpu_ms=%.1f floor_cpu_ms=%.1f\n",
                    peak,
                    floorPeak,
                    medianOf(ours, step + "_cpu"),
                    medianOf(floor, step + "_cpu"));
        std::fflush(stdout);
    }
    return met;
}

bool runStartups(const char *self, const QString &folder, const QString &scratch)
{
    const QByteArray folderArgument = folder.toLocal8Bit();
    // Ours starts where the last run left twenty pages open, the floor where it left none.
    QByteArray homes[2];
    for (int who = 0; who < 2; ++who) {
        const QString home = scratch + (who == 0 ? QStringLiteral("/home-pages") : QStringLiteral("/home-none"));
        if (!QDir().mkpath(home))
            fail("no data folder");
        homes[who] = home.toLocal8Bit();
        runBenchChild(self,
                      {"session", who == 0 ? "ours" : "floor", folderArgument.constData(), homes[who].constData()});
    }
    std::vector<double> ms[2];
    for (int round = 0; round < kRounds; ++round) {
        for (int who = 0; who < 2; ++who) {
            const std::string start = std::to_string(monotonicNs());
            const ChildValues child = runBenchChild(self,
                                                    {"startup",
                                                     who == 0 ? "ours" : "floor",
                                                     folderArgument.constData(),
                                                     homes[who].constData(),
                                                     start.c_str()});
            ms[who].push_back(child.number("startup_ms"));
        }
    }
    printLine("tabs_startup", std::to_string(kStartupPages), median(ms[0]), median(ms[1]));
    std::printf("\n");
    std::fflush(stdout);
    return median(ms[0]) <= 1.5 * median(ms[1]);
}

} // namespace

namespace TabLines {

void runChild(int &argc, char **argv, const QString &folder, bool ours)
{
    const std::string mode = argv[2];
    const QStringList pages = BenchPage::pathsIn(folder);
    if (mode == "tabs") {
        const ChildApplication app(argc, argv, ours);
        if (ours)
            runOurTabs(pages);
        if (argc != 7)
            fail("the floor needs ours' layout and font");
        runFloorTabs(pages, Layout::fromArgument(argv[5]), QString::fromUtf8(argv[6]));
    }
    const QStringList lastPages = ours ? pages.mid(0, kStartupPages) : QStringList();
    if (argc < 6)
        fail("a start needs its data folder");
    const QString home = QString::fromLocal8Bit(argv[5]);
    if (mode == "session") {
        const ChildApplication app(argc, argv, true);
        runSession(lastPages, home);
    }
    if (argc != 7)
        fail("a start needs the time it began");
    runStartup(argc, argv, home, std::stoll(argv[6]));
}

bool run(const char *self, const QString &scratch)
{
    const QString folder = scratch + QStringLiteral("/tabs");
    if (!QDir().mkpath(folder))
        fail("no folder for the pages");
    BenchPage::writeMany(folder, kPages, kPageSize);
    qputenv("QT_QPA_PLATFORM", "xcb");
    const bool tabsMet = runTabs(self, folder);
    return runStartups(self, folder, scratch) && tabsMet;
}

} // namespace TabLines
