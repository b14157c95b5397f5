#pragma once

#include <QDialog>

class UserDialogs;

// The version box (AboutBox).
class AboutBox final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutBox)

public:
    // dialogs: where it is shown and where its messages appear.
    explicit AboutBox(UserDialogs &dialogs, QWidget *parent = nullptr);

private:
    UserDialogs &m_dialogs;
};
