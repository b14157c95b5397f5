#pragma once

#include <QDialog>

// The history editor (RIREKIfrm): lets the user delete entries of the recent-file list.
class HistoryEditor final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryEditor)

public:
    explicit HistoryEditor(QWidget *parent = nullptr);
};
