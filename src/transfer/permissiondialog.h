#pragma once

#include <QDialog>

class UserDialogs;

// The permission dialog (Ftp2): shows a remote file's permission bits and changes them.
class PermissionDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PermissionDialog)

public:
    // dialogs: where it is shown and where its messages appear.
    explicit PermissionDialog(UserDialogs &dialogs, QWidget *parent = nullptr);

private:
    UserDialogs &m_dialogs;
};
