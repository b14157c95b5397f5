#pragma once

#include "common/commanddispatcher.h"

#include <QString>
#include <QWidget>

class UserDialogs;

// The file-transfer window (Ftp1, "RODav"): a separate, non-modal window that publishes pages
// by FTP. It owns its local folder, which the main window points at the document's folder, and
// its own command dispatcher: its buttons' handler names are its own, apart from the main
// window's.
class TransferWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransferWindow)

public:
    // dialogs: where its questions and failures are shown.
    explicit TransferWindow(UserDialogs &dialogs, QWidget *parent = nullptr);

    CommandDispatcher &dispatcher() { return m_dispatcher; }

    QString localFolder() const { return m_localFolder; }
    void setLocalFolder(const QString &folder);

private:
    UserDialogs &m_dialogs;
    CommandDispatcher m_dispatcher;
    QString m_localFolder;
};
