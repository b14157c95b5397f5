#include "benchwindow.h"

#include "authoring/htmlhighlighter.h"
#include "authoring/sourceview.h"
#include "benchbasics.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QWebEngineView>

#include <sstream>
#include <xcb/xcb.h>

namespace bench {

namespace {

constexpr int kLoadTimeoutMs = 600'000;
// After a load the browser engine still lays out and paints for a while in its own processes.
constexpr int kQuietAfterLoadMs = 2000;
// Fast typing: some 16 keys a second.
constexpr int kKeyIntervalMs = 60;

} // namespace

std::string Layout::toArgument() const
{
    std::ostringstream out;
    out << splitter.x() << ',' << splitter.y() << ',' << splitter.width() << ',' << splitter.height() << ','
        << editorHeight << ',' << previewHeight << ',' << handleWidth;
    return out.str();
}

Layout Layout::fromArgument(const std::string &argument)
{
    std::istringstream in(argument);
    int values[7] = {};
    for (int &value : values) {
        in >> value;
        in.ignore(1);
    }
    return {QRect(values[0], values[1], values[2], values[3]), values[4], values[5], values[6]};
}

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

bool PaintCount::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint)
        ++count;
    return QObject::eventFilter(watched, event);
}

void ScreenWindow::present(QWidget &window, QPlainTextEdit &editor)
{
    m_window = &window;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        fail("the windows need an X server");
    m_connection = x11->connection();
    window.resize(kWindowSize);
    waitForPaintOf(editor, [&window] {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            fail("the window was not shown");
    });
}

void ScreenWindow::showNow(QPlainTextEdit &editor)
{
    waitForPaintOf(editor, [&editor] { editor.viewport()->repaint(); });
}

void ScreenWindow::waitForPaintOf(QPlainTextEdit &editor, const std::function<void()> &paint)
{
    // Installing it again on the same viewport keeps one filter.
    editor.viewport()->installEventFilter(&m_paints);
    m_paints.count = 0;
    paint();
    while (m_paints.count == 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ::free(::xcb_get_input_focus_reply(m_connection, ::xcb_get_input_focus(m_connection), nullptr));
}

void ScreenWindow::focus(QPlainTextEdit &editor)
{
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window))
        fail("the window did not get the keyboard");
    editor.setFocus();
    settle(editor);
    if (QApplication::focusWidget() != &editor)
        fail("the editor does not have the keyboard");
}

void ScreenWindow::settle(QPlainTextEdit &editor)
{
    editor.viewport()->repaint();
    QApplication::processEvents();
    const auto *source = qobject_cast<const SourceView *>(&editor);
    if (const HtmlHighlighter *highlighter = source ? source->highlighter() : nullptr) {
        while (highlighter->hasPendingWork())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    pause();
}

void ScreenWindow::pause()
{
    QTest::qWait(kKeyIntervalMs);
}

} // namespace bench
