#pragma once

#include <QDialog>

// The version box (AboutBox).
class AboutBox final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutBox)

public:
    explicit AboutBox(QWidget *parent = nullptr);
};
