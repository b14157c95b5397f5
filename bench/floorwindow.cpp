#include "floorwindow.h"

#include <QPlainTextEdit>
#include <QSplitter>
#include <QWebEngineView>

namespace bench {

FloorWindow::FloorWindow(const Layout &layout, QWidget *top)
{
    auto *central = new QWidget(&m_window);
    m_window.setCentralWidget(central);
    auto *splitter = new QSplitter(Qt::Vertical, central);
    splitter->setHandleWidth(layout.handleWidth);
    splitter->addWidget(top);
    m_preview = new QWebEngineView(splitter);
    splitter->setGeometry(layout.splitter);
    splitter->setSizes({layout.editorHeight, layout.previewHeight});
}

QPlainTextEdit *FloorWindow::makeEditor(const QString &font, QWidget *parent)
{
    auto *editor = new QPlainTextEdit(parent);
    QFont editorFont;
    editorFont.fromString(font);
    editor->setFont(editorFont);
    return editor;
}

} // namespace bench
