// editor_bench: is editing a big Shift_JIS page in the program's window as quick as the
// platform's own plain-text editor? Each line compares ours with a floor measured in the same
// run, medians of five, each run a process of its own:
//
//   open <size>:            read, decode, show, until the text is on screen and the program idle
//                           (wall time, CPU time, peak memory). Ours is the source view (the
//                           program's codec, colours and line numbers on), the floor a bare
//                           QPlainTextEdit, both offscreen.
//   key_top|key_middle|key_end <size>: one key typed at that place, until the window shows it;
//   caret_middle <size>:    the caret moved to the middle of the page, until the window shows it;
//   comment_top <size>:     the slowest key of "<!--" typed near the top, until the window shows it.
//
// The edit lines run in real windows of 1024x768 on an X server: the one $DISPLAY names, or else
// a private Xvfb (-screen 0 1280x960x24) the bench starts on a free display and stops again.
//
//   ours:  the program's main window, made as main() makes it (AppWindows::create, dialogs that
//          never block, passwords in memory, a data folder of its own), colours and line numbers
//          on. The page is opened through ファイルを開く and rendered into the preview with 反映;
//          自動反映 is 手動 so that the preview does not load the page again in the middle of the
//          keys (that refresh follows a pause in the typing, not a key).
//          The preview is composed into the window as main() chooses for the machine
//          (SceneGraphChoice: the software scene graph where OpenGL runs on the CPU); the lines
//          say which, as composition=software|opengl.
//   floor: a bare QMainWindow with a QPlainTextEdit above a QWebEngineView in a QSplitter, at
//          ours' places and sizes and in the font of ours' source view, the view showing the page,
//          with the toolkit's defaults in everything (its allocator and composition included).
//
// Every start-up (the browser engine's included) is over before the first key and is not timed.
// Keys come a typist's 60 ms apart, the event loop running in between. A key is timed from its
// press, delivered as the keyboard delivers it (the shortcut map sees it first, then the editor
// handles it), through repaint() on the editor's viewport, which paints whatever the key left
// to paint in the window (text, line numbers, status bar), and the platform's flush (with the
// preview in the window, Qt composes it with OpenGL), until the X server has answered a round
// trip and so holds the picture. Work the key leaves to timers (the colours' idle steps) is not
// in it. Wall time, and this process's CPU time: its OpenGL rasteriser's threads are in it, the
// X server and the browser engine's other processes are not.
//
// Prints
//
//   editor_bench <op> <size> ours_ms=<x> floor_ms=<y> ratio=<x/y> [cpu_ms=.. floor_cpu_ms=..
//                peak_rss_mb=.. floor_peak_rss_mb=.. composition=..]
//
// Goals: open ratio <= 1.5 in time and CPU and peak memory <= 1.5 times the floor's; a key at
// most twice the floor and never over 16 ms; the caret move at most twice the floor; each key
// of "<!--" within 16 ms. Run with no arguments (needs the xvfb package without $DISPLAY).

#include "app/appwindows.h"
#include "app/mainwindow.h"
#include "app/scenegraphchoice.h"
#include "authoring/editorstack.h"
#include "authoring/htmlhighlighter.h"
#include "authoring/pagecontext.h"
#include "authoring/sourceview.h"
#include "childrun.h"
#include "common/regularfile.h"
#include "common/textcodec.h"
#include "common/userdialogs.h"
#include "preview/autorefreshsetting.h"
#include "transfer/credentialstore.h"
#include "workspace/panetext.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QWebEngineView>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iconv.h>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

constexpr int kRounds = 5;
constexpr int kSizesMiB[] = {2, 20};
constexpr double kFrameMs = 16;
constexpr QSize kWindowSize(1024, 768);
constexpr int kLoadTimeoutMs = 600'000;
// After a load the browser engine still lays out and paints for a while in its own processes.
constexpr int kQuietAfterLoadMs = 2000;
// Fast typing: some 16 keys a second.
constexpr int kKeyIntervalMs = 60;

// A page as beginners write them: markup with attributes, Japanese prose with kanji and kana,
// half-width kana, a character reference, CR LF line ends.
QByteArray makePage(qsizetype size)
{
    const QByteArray line =
        QByteArray("<p class=\"text\">")
        + QByteArray(
            "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57\x82\xc5\x82\xb7\x81\x42") // 日本語のページです。
        + QByteArray(" <b>\xb6\xc0\xb6\xc5</b> &amp; ")                                         // ｶﾀｶﾅ
        + QByteArray("\x81\x9a\x8e\x71\x82\xc7\x82\xe0\x82\xcc\x8a\x47</p>\r\n");               // ★子どもの絵
    QByteArray page = "<!DOCTYPE html>\r\n<html><head><title>bench</title></head><body>\r\n";
    while (page.size() < size)
        page += line;
    page += "</body></html>\r\n";
    return page;
}

QString floorDecode(const QByteArray &in)
{
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    QByteArray out(in.size() * 2 + 16, Qt::Uninitialized);
    char *inPtr = const_cast<char *>(in.constData());
    size_t inLeft = size_t(in.size());
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());
    iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    QString text(reinterpret_cast<const QChar *>(out.constData()), (out.size() - qsizetype(outLeft)) / 2);
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

double cpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Wall time and this process's CPU time of one step: on a machine shared with other work the
// wall time shows what the user waits for, the CPU time what the step itself costs.
struct Cost
{
    double wallMs = 0;
    double cpuMs = 0;
};

class Stopwatch
{
public:
    Stopwatch() : m_cpuStart(cpuMs()) { m_wall.start(); }
    Cost read() const { return {m_wall.nsecsElapsed() / 1e6, cpuMs() - m_cpuStart}; }

private:
    QElapsedTimer m_wall;
    double m_cpuStart;
};

// The open lines: one editor of either kind, offscreen, open on the page and shown.
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
        editor->setPlainText(floorDecode(bytes));
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

// Where the floor puts its editor and preview: where ours has them, in the main window's
// coordinates. Travels from ours' run to the floor's as one argument.
struct Layout
{
    QRect splitter;
    int editorHeight = 0;
    int previewHeight = 0;
    int handleWidth = 0;

    std::string toArgument() const
    {
        std::ostringstream out;
        out << splitter.x() << ',' << splitter.y() << ',' << splitter.width() << ',' << splitter.height() << ','
            << editorHeight << ',' << previewHeight << ',' << handleWidth;
        return out.str();
    }
    static Layout fromArgument(const std::string &argument)
    {
        std::istringstream in(argument);
        int values[7] = {};
        for (int &value : values) {
            in >> value;
            in.ignore(1);
        }
        return {QRect(values[0], values[1], values[2], values[3]), values[4], values[5], values[6]};
    }
};

// The program's questions in the bench: ファイルを開く is answered with the page, and nothing
// else should be asked; whatever is goes to the error output and gets the cautious answer, so a
// run never waits.
class BenchDialogs final : public UserDialogs
{
public:
    explicit BenchDialogs(QString page) : m_page(std::move(page)) {}

    DialogButton message(QWidget *, const MessageBoxRequest &request) override
    {
        std::fprintf(stderr, "editor_bench: the window said: %s\n", qUtf8Printable(request.text));
        return request.buttons.contains(DialogButton::Cancel) ? DialogButton::Cancel : request.buttons.value(0);
    }
    ChoiceAnswer choose(QWidget *, const ChoiceRequest &request) override
    {
        std::fprintf(stderr, "editor_bench: the window asked: %s\n", qUtf8Printable(request.text));
        return {request.escapeChoice, false};
    }
    std::optional<QString> inputText(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> chooseFile(QWidget *, const FileDialogRequest &) override { return m_page; }
    std::optional<FontChoice> chooseFont(QWidget *, const FontChoice &) override { return std::nullopt; }
    int exec(QDialog *) override { return 0; }

private:
    QString m_page;
};

// The passwords in memory, in place of the desktop keyring; answered later, as the keyring does.
class MemoryKeyring final : public CredentialStore
{
public:
    Availability availability() const override { return Availability::Available; }
    void read(const QString &key, QObject *context, Callback callback) override
    {
        const auto found = m_passwords.constFind(key);
        deliver(context,
                callback,
                found == m_passwords.cend() ? CredentialAnswer{CredentialAnswer::Status::NotFound, {}, {}}
                                            : CredentialAnswer{CredentialAnswer::Status::Done, *found, {}});
    }
    void write(const QString &key, const QString &password, QObject *context, Callback callback) override
    {
        m_passwords.insert(key, password);
        deliver(context, callback, {CredentialAnswer::Status::Done, {}, {}});
    }
    void remove(const QString &key, QObject *context, Callback callback) override
    {
        m_passwords.remove(key);
        deliver(context, callback, {CredentialAnswer::Status::Done, {}, {}});
    }

private:
    QHash<QString, QString> m_passwords;
};

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "editor_bench: %s\n", what);
    std::_Exit(1);
}

// Loads the page (or whatever `start` makes it load) and waits until the view has finished and
// the engine has had time to paint it.
void waitForLoad(QWebEngineView &view, const std::function<void()> &start)
{
    bool finished = false;
    const QMetaObject::Connection done =
        QObject::connect(&view, &QWebEngineView::loadFinished, [&finished](bool) { finished = true; });
    start();
    if (!QTest::qWaitFor([&finished] { return finished; }, kLoadTimeoutMs))
        fail("the preview did not finish loading");
    QObject::disconnect(done);
    QTest::qWait(kQuietAfterLoadMs);
}

// Counts the paint events of the widget it watches.
class PaintCount final : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

// A window of either kind with its editor focused, and the steps the edit lines time in it.
class EditWindow
{
public:
    virtual ~EditWindow() = default;
    EditWindow(const EditWindow &) = delete;
    EditWindow &operator=(const EditWindow &) = delete;

    QPlainTextEdit &editor() const { return *m_editor; }

    // Until the text is painted and nothing is left to do, then a typist's pause before the
    // next key.
    void settle() const
    {
        m_editor->viewport()->repaint();
        QApplication::processEvents();
        if (const HtmlHighlighter *highlighter = this->highlighter()) {
            while (highlighter->hasPendingWork())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        pause();
    }

    // The time between two keys of someone typing fast, with the event loop running meanwhile
    // as it would (the colours' idle steps included).
    static void pause() { QTest::qWait(kKeyIntervalMs); }

    void putCaretAtBlock(int number) const
    {
        m_editor->setTextCursor(QTextCursor(m_editor->document()->findBlockByNumber(number)));
        m_editor->centerCursor();
        settle();
    }

    // The picture the user waits for: the window repainted, flushed and taken by the X server.
    // Qt puts a repaint that comes within a frame of the last picture off to the event loop (the
    // window holds the browser view's picture); the user waits for that one too.
    void showNow() const
    {
        m_paints.count = 0;
        m_editor->viewport()->repaint();
        while (m_paints.count == 0)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ::free(::xcb_get_input_focus_reply(m_connection, ::xcb_get_input_focus(m_connection), nullptr));
    }

    Cost typeKey(char key) const
    {
        const Stopwatch watch;
        QTest::keyPress(m_editor, key);
        showNow();
        return watch.read();
    }

    void undo() const
    {
        m_editor->undo();
        settle();
    }

protected:
    EditWindow() = default;

    virtual const HtmlHighlighter *highlighter() const { return nullptr; }

    // Shows the window at the bench's size.
    void present(QWidget &window, QPlainTextEdit &editor)
    {
        m_window = &window;
        m_editor = &editor;
        auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11)
            fail("the edit lines need an X server");
        m_connection = x11->connection();
        editor.viewport()->installEventFilter(&m_paints);
        window.resize(kWindowSize);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            fail("the window was not shown");
    }

    // Gives the editor the keyboard. The browser view, once in the window, has Qt make the
    // window again for OpenGL, and with no window manager on the server nobody gives the new one
    // the keyboard.
    void focusEditor() const
    {
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window))
            fail("the window did not get the keyboard");
        m_editor->setFocus();
        settle();
        if (QApplication::focusWidget() != m_editor)
            fail("the editor does not have the keyboard");
    }

private:
    QWidget *m_window = nullptr;
    QPlainTextEdit *m_editor = nullptr;
    xcb_connection_t *m_connection = nullptr;
    mutable PaintCount m_paints;
};

// The program's main window, made and used as the program does.
class OurWindow final : public EditWindow
{
public:
    explicit OurWindow(const QString &page) : m_dialogs(page)
    {
        if (!m_home.isValid())
            fail("no scratch folder");
        qputenv("QZWEB_HOME", m_home.path().toLocal8Bit());
        AutoRefreshSetting::write(m_home.filePath(AutoRefreshSetting::kFileName), AutoRefreshMode::Manual);
        m_window.reset(AppWindows::create(m_dialogs, m_keyring));
        SourceView &view = m_window->page().editor().sourceView();
        present(*m_window, view);
        // What main() does once the window is up: nothing is kept from an earlier run, and the
        // browser engine starts on a blank page.
        m_window->offerKeptPages();
        m_window->warmUpPreview();
        auto *preview = m_window->findChild<QWebEngineView *>(QStringLiteral("WebBrowser1View"));
        if (!preview)
            fail("the preview has no browser view");
        waitForLoad(*preview, [] {});
        m_window->action(QStringLiteral("Open"))->trigger();
        if (view.document()->characterCount() < 1000)
            fail("the page was not opened");
        waitForLoad(*preview, [this] { m_window->findChild<QAbstractButton *>(QStringLiteral("Button1"))->click(); });
        focusEditor();
    }

    Layout layout() const
    {
        const QSplitter &splitter = *m_window->view().splitter;
        const QList<int> sizes = splitter.sizes();
        return {QRect(splitter.mapTo(m_window.get(), QPoint(0, 0)), splitter.size()),
                sizes.value(0),
                sizes.value(1),
                splitter.handleWidth()};
    }

protected:
    const HtmlHighlighter *highlighter() const override { return m_window->page().editor().sourceView().highlighter(); }

private:
    QTemporaryDir m_home;
    BenchDialogs m_dialogs;
    MemoryKeyring m_keyring;
    std::unique_ptr<MainWindow> m_window;
};

// The floor: the platform's editor and browser view, nothing else.
class FloorWindow final : public EditWindow
{
public:
    FloorWindow(const QString &page, const Layout &layout, const QString &font)
    {
        auto *central = new QWidget(&m_window);
        m_window.setCentralWidget(central);
        auto *splitter = new QSplitter(Qt::Vertical, central);
        splitter->setHandleWidth(layout.handleWidth);
        auto *editor = new QPlainTextEdit(splitter);
        QFont editorFont;
        editorFont.fromString(font);
        editor->setFont(editorFont);
        auto *preview = new QWebEngineView(splitter);
        splitter->setGeometry(layout.splitter);
        splitter->setSizes({layout.editorHeight, layout.previewHeight});
        present(m_window, *editor);
        waitForLoad(*preview, [preview, &page] { preview->load(QUrl::fromLocalFile(page)); });
        editor->setPlainText(floorDecode(RegularFile::readAll(page, RegularFile::kDocumentLimit)));
        focusEditor();
    }

private:
    QMainWindow m_window;
};

void runEdits(EditWindow &subject)
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
            subject.pause();
            const Cost cost = subject.typeKey(key);
            slowest = {std::max(slowest.wallMs, cost.wallMs), std::max(slowest.cpuMs, cost.cpuMs)};
        }
        note("comment_top", slowest);
        for (int i = 0; i < 4; ++i)
            editor.undo();
        subject.settle();
    }
    for (const auto &[name, values] : times)
        std::printf("%s %.3f\n", name.c_str(), bench::median(values));
    std::fflush(stdout);
}

// The X server the edit lines' windows are shown on: the one $DISPLAY names, or else a private
// Xvfb on a display number it picks itself, with a cookie of its own, stopped at the end.
class XServer
{
public:
    XServer()
    {
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            return;
        if (!m_scratch.isValid())
            fail("no scratch folder");
        const QString authority = m_scratch.filePath(QStringLiteral("Xauthority"));
        // A cookie for any address; the server takes every cookie in its file, the clients the
        // one with their display's number, added once the server has picked it.
        m_cookie.resize(4);
        QRandomGenerator::system()->generate(m_cookie.begin(), m_cookie.end());
        writeAuthority(authority, {QByteArray()});
        int fds[2];
        if (::pipe(fds) != 0)
            fail("no pipe for Xvfb");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::close(fds[0]);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, STDOUT_FILENO);
            ::dup2(quiet, STDERR_FILENO);
            const std::string fd = std::to_string(fds[1]);
            const QByteArray auth = authority.toLocal8Bit();
            ::execlp("Xvfb",
                     "Xvfb",
                     "-displayfd",
                     fd.c_str(),
                     "-auth",
                     auth.constData(),
                     "-screen",
                     "0",
                     "1280x960x24",
                     "-nolisten",
                     "tcp",
                     static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        char c = 0;
        while (::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (number.empty())
            fail("Xvfb did not start (is the xvfb package installed?)");
        writeAuthority(authority, {QByteArray(), QByteArray::fromStdString(number)});
        qputenv("DISPLAY", QByteArray(":") + QByteArray::fromStdString(number));
        qputenv("XAUTHORITY", authority.toLocal8Bit());
    }
    ~XServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

private:
    // Entries of the X authority format (family, address, display number, name, data) for any
    // address, one per display number.
    void writeAuthority(const QString &path, const QList<QByteArray> &numbers) const
    {
        QByteArray entries;
        const auto field = [&entries](const QByteArray &bytes) {
            entries.append(char(bytes.size() >> 8)).append(char(bytes.size() & 0xff)).append(bytes);
        };
        for (const QByteArray &display : numbers) {
            entries.append(char(0xff)).append(char(0xff)); // FamilyWild
            field({});
            field(display);
            field("MIT-MAGIC-COOKIE-1");
            field(QByteArray(reinterpret_cast<const char *>(m_cookie.data()), qsizetype(m_cookie.size()) * 4));
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(entries) != entries.size())
            fail("cannot write the X authority file");
    }

    QTemporaryDir m_scratch;
    std::vector<quint32> m_cookie;
    pid_t m_pid = -1;
};

// A child's output: one value per line, after the value's name.
struct ChildValues
{
    std::map<std::string, std::string> lines;
    double peakMiB = 0;

    double number(const std::string &name) const
    {
        const auto found = lines.find(name);
        return found == lines.end() ? 0.0 : std::stod(found->second);
    }
    const char *text(const std::string &name) const
    {
        const auto found = lines.find(name);
        return found == lines.end() ? "" : found->second.c_str();
    }
};

ChildValues runChild(const char *self, std::vector<const char *> args)
{
    const bench::ChildRun run = bench::runChild("editor_bench", self, args);
    ChildValues values;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const size_t space = line.find(' ');
        if (space != std::string::npos)
            values.lines[line.substr(0, space)] = line.substr(space + 1);
    }
    values.peakMiB = run.peakMiB;
    return values;
}

void printLine(const char *op, int mib, double ours, double floor)
{
    std::printf("editor_bench %s %dMiB ours_ms=%.1f floor_ms=%.1f ratio=%.3f", op, mib, ours, floor, ours / floor);
}

int runChildMode(int argc, char **argv)
{
    const std::string mode = argv[2];
    const bool ours = std::string(argv[3]) == "ours";
    const QString page = QString::fromLocal8Bit(argv[4]);
    if (mode == "open") {
        QApplication app(argc, argv);
        runOpen(page, ours);
    }
    // As main() has it: the preview's browser engine shares its GL contexts with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (ours) {
        QApplication::setApplicationName(QStringLiteral("qzweb"));
        QApplication::setQuitOnLastWindowClosed(false);
        AppWindows::installQtTranslations(app);
        const bool software = SceneGraphChoice::applyForThisMachine() == SceneGraphChoice::Composition::Software;
        std::printf("composition %s\n", software ? "software" : "opengl");
        OurWindow window(page);
        std::printf("layout %s\n", window.layout().toArgument().c_str());
        std::printf("font %s\n", qUtf8Printable(window.editor().font().toString()));
        runEdits(window);
    } else {
        if (argc != 7)
            fail("the floor needs ours' layout and font");
        FloorWindow window(page, Layout::fromArgument(argv[5]), QString::fromUtf8(argv[6]));
        runEdits(window);
    }
    // Leave without tearing the windows and the browser engine down: nothing of that is measured.
    std::_Exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 5 && std::string(argv[1]) == "--child")
        return runChildMode(argc, argv);
    // The browser engine refuses to run as root with its sandbox, and there is no GPU to use on
    // the private server.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    const XServer display;
    QTemporaryDir scratch;
    bool met = true;
    for (const int mib : kSizesMiB) {
        const QString page = scratch.filePath(QStringLiteral("page%1.htm").arg(mib));
        QFile file(page);
        file.open(QIODevice::WriteOnly);
        file.write(makePage(qsizetype(mib) * 1024 * 1024));
        file.close();

        const QByteArray pagePath = page.toLocal8Bit();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        std::vector<double> ms[2], cpu[2], peak[2];
        for (int round = 0; round < kRounds; ++round) {
            for (int who = 0; who < 2; ++who) {
                const ChildValues child =
                    runChild(argv[0], {"open", who == 0 ? "ours" : "floor", pagePath.constData()});
                ms[who].push_back(child.number("wall"));
                cpu[who].push_back(child.number("cpu"));
                peak[who].push_back(child.peakMiB);
            }
        }
        const double wallRatio = bench::median(ms[0]) / bench::median(ms[1]);
        const double cpuRatio = bench::median(cpu[0]) / bench::median(cpu[1]);
        const double peakRatio = bench::median(peak[0]) / bench::median(peak[1]);
        printLine("open", mib, bench::median(ms[0]), bench::median(ms[1]));
        std::printf(" cpu_ms=%.1f floor_cpu_ms=%.1f peak_rss_mb=%.0f floor_peak_rss_mb=%.0f\n",
                    bench::median(cpu[0]),
                    bench::median(cpu[1]),
                    bench::median(peak[0]),
                    bench::median(peak[1]));
        std::fflush(stdout);
        met &= wallRatio <= 1.5 && cpuRatio <= 1.5 && peakRatio <= 1.5;

        qputenv("QT_QPA_PLATFORM", "xcb");
        const ChildValues ours = runChild(argv[0], {"edit", "ours", pagePath.constData()});
        const ChildValues floor =
            runChild(argv[0], {"edit", "floor", pagePath.constData(), ours.text("layout"), ours.text("font")});
        for (const char *op : {"key_top", "key_middle", "key_end", "caret_middle", "comment_top"}) {
            const std::string name = op;
            if (name == "caret_middle" && mib != 20)
                continue;
            const double oursMs = ours.number(name);
            const double floorMs = floor.number(name);
            printLine(op, mib, oursMs, floorMs);
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
    std::printf("editor_bench goal %s\n", met ? "met" : "missed");
    return 0;
}
