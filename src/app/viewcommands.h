#pragma once

#include <QObject>

class CommandDispatcher;
class QSplitter;
class PageContext;
class QWidget;
class TransferWindow;
class UserDialogs;

// The view commands of the 環境設定 menu that belong to the window itself: the editor font, the
// height of the editing pane against the preview, and opening the file-transfer window. It owns
// nothing; the window owns the controls and the transfer window.
class ViewCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewCommands)

public:
    // window: the parent of the font dialog; becomes the parent.
    ViewCommands(CommandDispatcher &commands,
                 PageContext &current,
                 QSplitter &splitter,
                 TransferWindow &transfer,
                 UserDialogs &dialogs,
                 QWidget &window);

    void chooseEditorFont();           // N9Click
    void setPreviewMaximized(int tag); // mnuWebMAXClick: 0 最大化, 1 元に戻す
    void showTransferWindow();         // mnuFTPClick

private:
    PageContext &m_current;
    QSplitter &m_splitter;
    TransferWindow &m_transfer;
    UserDialogs &m_dialogs;
    QWidget &m_window;
};
