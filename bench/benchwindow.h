#pragma once

// The windows of the edit and tab lines: shown on X at the bench's size, and the picture the
// user waits for in them.

#include <QObject>
#include <QRect>

#include <functional>
#include <string>

class QEvent;
class QPlainTextEdit;
class QWebEngineView;
class QWidget;
struct xcb_connection_t;

namespace bench {

// Where the floor puts its editor and preview: where ours has them, in the main window's
// coordinates. Travels from ours' run to the floor's as one argument.
struct Layout
{
    QRect splitter;
    int editorHeight = 0;
    int previewHeight = 0;
    int handleWidth = 0;

    std::string toArgument() const;
    static Layout fromArgument(const std::string &argument);
};

// Loads the page (or whatever `start` makes it load) and waits until the view has finished and
// the engine has had time to paint it.
void waitForLoad(QWebEngineView &view, const std::function<void()> &start);

// Counts the paint events of the widgets it watches.
class PaintCount final : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// A window of either kind on the X server, and the steps every timed line ends with.
class ScreenWindow
{
public:
    // Shows the window at the bench's size until the editor in it is painted and the X server
    // holds the picture: the window as the user first sees it.
    void present(QWidget &window, QPlainTextEdit &editor);

    // The picture the user waits for: the window repainted, flushed and taken by the X server.
    // Qt puts a repaint that comes within a frame of the last picture off to the event loop (the
    // window holds the browser view's picture); the user waits for that one too.
    void showNow(QPlainTextEdit &editor);

    // Gives the editor the keyboard. The browser view, once in the window, has Qt make the
    // window again for OpenGL, and with no window manager on the server nobody gives the new one
    // the keyboard.
    void focus(QPlainTextEdit &editor);

    // Until the text is painted and nothing is left to do, then a typist's pause before the
    // next key.
    static void settle(QPlainTextEdit &editor);
    // The time between two keys of someone typing fast, with the event loop running meanwhile
    // as it would (the colours' idle steps included).
    static void pause();

private:
    void waitForPaintOf(QPlainTextEdit &editor, const std::function<void()> &paint);

    QWidget *m_window = nullptr;
    xcb_connection_t *m_connection = nullptr;
    PaintCount m_paints;
};

} // namespace bench
