#pragma once

#include <QObject>

class MainWindow;

// The view commands of the 環境設定 menu that belong to the window itself: the editor font, the
// height of the editing pane against the preview, and opening the file-transfer window.
class ViewCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewCommands)

public:
    explicit ViewCommands(MainWindow &window);

    void chooseEditorFont();            // N9Click
    void setPreviewMaximized(int tag);  // mnuWebMAXClick: 0 最大化, 1 元に戻す
    void showTransferWindow();          // mnuFTPClick

private:
    MainWindow &m_window;
};
