#pragma once

#include <QDialog>

class UserDialogs;

// The history editor (RIREKIfrm): lets the user delete entries of the recent-file list.
class HistoryEditor final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryEditor)

public:
    // dialogs: where it is shown and where its messages appear.
    explicit HistoryEditor(UserDialogs &dialogs, QWidget *parent = nullptr);

private:
    UserDialogs &m_dialogs;
};
