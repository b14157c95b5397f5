#pragma once

#include <QDialog>

// The permission dialog (Ftp2): shows a remote file's permission bits and changes them.
class PermissionDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PermissionDialog)

public:
    explicit PermissionDialog(QWidget *parent = nullptr);
};
