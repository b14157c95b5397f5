#pragma once

#include <QObject>

#include <functional>
#include <memory>

class CommandDispatcher;
class Document;
class QPrinter;
class PageContext;
class QWidget;
class UserDialogs;

// File > 印刷: prints the editor's content as the editor shows it, without a print dialog, as
// one job titled with the document's path, inside a margin of 200 printer units, then says so.
// The printer comes from a source that is the system's default printer unless a test puts a
// PDF file in its place. Owns the source; the window owns the editor and the document.
class PrintCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintCommand)

public:
    // A printer ready for one job; throws UserError with the message the user sees when none is.
    using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;

    static constexpr int kMargin = 200; // printer device units inside each edge of the printable area

    // window: the parent of the messages; becomes the parent.
    PrintCommand(CommandDispatcher &commands, PageContext &current, UserDialogs &dialogs, QWidget &window);

    void setPrinterSource(PrinterSource source) { m_source = std::move(source); }

    void print(); // Print1Click

private:
    void printDocument(QPrinter &printer) const;

    PageContext &m_current;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    PrinterSource m_source;
};
