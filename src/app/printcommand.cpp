#include "app/printcommand.h"

#include "app/defaultprinter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "workspace/document.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

namespace {

const QString kNotReady = QStringLiteral("プリンタに印刷できる状態ではありません");

} // namespace

PrintCommand::PrintCommand(CommandDispatcher &commands, PageContext &current, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_current(current), m_dialogs(dialogs), m_window(window),
      m_source([] { return DefaultPrinter::open(); })
{
    setObjectName(QStringLiteral("PrintCommand"));
    commands.add(QStringLiteral("Print1Click"), [this](int) { print(); });
}

void PrintCommand::print()
{
    std::unique_ptr<QPrinter> printer = m_source();
    if (!printer)
        throw UserError(kNotReady);
    printer->setDocName(m_current.document().path());
    printer->setFullPage(false);
    printDocument(*printer);
    m_dialogs.notify(&m_window, QStringLiteral("印刷しました"));
}

void PrintCommand::printDocument(QPrinter &printer) const
{
    const QRectF body(kMargin, kMargin, printer.width() - 2 * kMargin, printer.height() - 2 * kMargin);
    if (body.width() <= 0 || body.height() <= 0)
        throw UserError(kNotReady);

    // The copy is laid out against the editor's own screen, so the lines and fonts are the ones
    // the user sees (pixel-sized fonts included), and the painter scales them to the printer.
    std::unique_ptr<QTextDocument> doc(m_current.editor().document()->clone());
    QPaintDevice *screen = m_current.editor().view().viewport();
    doc->documentLayout()->setPaintDevice(screen);
    doc->setDocumentMargin(0);
    const qreal scaleX = qreal(printer.logicalDpiX()) / screen->logicalDpiX();
    const qreal scaleY = qreal(printer.logicalDpiY()) / screen->logicalDpiY();
    const QSizeF page(body.width() / scaleX, body.height() / scaleY);
    doc->setPageSize(page);

    QPainter painter;
    if (!painter.begin(&printer))
        throw UserError(kNotReady);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    const int pages = doc->pageCount();
    for (int index = 0; index < pages; ++index) {
        if (index > 0 && !printer.newPage()) {
            painter.end();
            throw UserError(kNotReady);
        }
        const QRectF slice(0, index * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(body.topLeft());
        painter.scale(scaleX, scaleY);
        painter.translate(0, -slice.top());
        painter.setClipRect(slice);
        // The layout moves a line that would cross the page's foot to the next page, but its
        // top may round to just above the edge; drawn here under the clip it would be invisible
        // yet still be in the job (a PDF would hold its text twice). A line of this page ends
        // well above the last unit.
        context.clip = slice.adjusted(0, 0, 0, -1);
        doc->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw UserError(kNotReady);
}
