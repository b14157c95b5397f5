#include "app/viewcommands.h"

#include "app/mainwindow.h"
#include "authoring/editorpane.h"
#include "common/userdialogs.h"
#include "transfer/transferwindow.h"

#include <QDir>
#include <QTextCharFormat>

namespace {

constexpr int kMaximizedEditorHeight = 1;
constexpr int kMaximizeTag = 0;

} // namespace

ViewCommands::ViewCommands(MainWindow &window) : QObject(&window), m_window(window)
{
    CommandRegistry &commands = window.commands();
    commands.add(QStringLiteral("N9Click"), [this](int) { chooseEditorFont(); });
    commands.add(QStringLiteral("mnuWebMAXClick"), [this](int tag) { setPreviewMaximized(tag); });
    commands.add(QStringLiteral("mnuFTPClick"), [this](int) { showTransferWindow(); });
}

void ViewCommands::chooseEditorFont()
{
    EditorPane *editor = m_window.view().editor;
    const QTextCharFormat current = editor->currentCharFormat();
    const QColor color = current.foreground().style() == Qt::NoBrush ? editor->palette().color(QPalette::Text)
                                                                     : current.foreground().color();
    const auto choice = m_window.dialogs().chooseFont(&m_window, {current.font(), color});
    if (choice) {
        QTextCharFormat format;
        format.setFont(choice->font);
        format.setForeground(choice->color);
        editor->mergeCurrentCharFormat(format);
    }
    editor->setFocus();
}

void ViewCommands::setPreviewMaximized(int tag)
{
    m_window.view().setEditorHeight(tag == kMaximizeTag ? kMaximizedEditorHeight : MainWindowView::kEditorHeight);
}

void ViewCommands::showTransferWindow()
{
    TransferWindow *transfer = m_window.windows().transfer;
    if (!transfer)
        return;
    if (!transfer->isVisible())
        transfer->setLocalFolder(QDir::currentPath());
    transfer->show();
    transfer->raise();
    transfer->activateWindow();
}
