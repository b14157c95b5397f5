#pragma once

// The floor's window: the platform's editor and browser view, nothing else.

#include "benchwindow.h"

#include <QMainWindow>

class QPlainTextEdit;
class QWebEngineView;

namespace bench {

// A bare QMainWindow with a widget (an editor, or editors in tabs) above a QWebEngineView in a
// QSplitter, at ours' places and sizes, with the toolkit's defaults in everything (its allocator
// and composition included).
class FloorWindow
{
public:
    // top: the widget above the view; taken over.
    FloorWindow(const Layout &layout, QWidget *top);

    QMainWindow &window() { return m_window; }
    QWebEngineView &preview() const { return *m_preview; }

    // A bare editor in ours' font (QFont::toString()).
    static QPlainTextEdit *makeEditor(const QString &font, QWidget *parent = nullptr);

private:
    QMainWindow m_window;
    QWebEngineView *m_preview = nullptr;
};

} // namespace bench
