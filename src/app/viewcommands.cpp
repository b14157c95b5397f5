#include "app/viewcommands.h"

#include "app/mainwindowview.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"
#include "common/userdialogs.h"
#include "transfer/transferwindow.h"

#include <QDir>
#include <QTextCharFormat>

namespace {

constexpr int kMaximizedEditorHeight = 1;
constexpr int kMaximizeTag = 0;

} // namespace

ViewCommands::ViewCommands(CommandDispatcher &commands,
                           PageContext &current,
                           QSplitter &splitter,
                           TransferWindow &transfer,
                           UserDialogs &dialogs,
                           QWidget &window)
    : QObject(&window), m_current(current), m_splitter(splitter), m_transfer(transfer), m_dialogs(dialogs),
      m_window(window)
{
    commands.add(QStringLiteral("N9Click"), [this](int) { chooseEditorFont(); });
    commands.add(QStringLiteral("mnuWebMAXClick"), [this](int tag) { setPreviewMaximized(tag); });
    commands.add(QStringLiteral("mnuFTPClick"), [this](int) { showTransferWindow(); });
}

void ViewCommands::chooseEditorFont()
{
    const QTextCharFormat current = m_current.editor().currentCharFormat();
    const QColor color =
        current.foreground().style() == Qt::NoBrush ? m_current.editor().textColor() : current.foreground().color();
    const auto choice = m_dialogs.chooseFont(&m_window, {current.font(), color});
    if (choice) {
        QTextCharFormat format;
        format.setFont(choice->font);
        format.setForeground(choice->color);
        m_current.editor().mergeCurrentCharFormat(format);
    }
    m_current.editor().setFocus();
}

void ViewCommands::setPreviewMaximized(int tag)
{
    MainWindowView::setEditorHeight(m_splitter,
                                    tag == kMaximizeTag ? kMaximizedEditorHeight : MainWindowView::kEditorHeight);
}

void ViewCommands::showTransferWindow()
{
    if (!m_transfer.isVisible())
        m_transfer.setLocalFolder(QDir::currentPath());
    m_transfer.show();
    m_transfer.raise();
    m_transfer.activateWindow();
}
