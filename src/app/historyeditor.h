#pragma once

#include <QDialog>
#include <QStringList>

#include <optional>

class QListWidget;
class UserDialogs;

// The history editor (RIREKIfrm): shows the seven recent-file slots as lines, lets the user
// delete lines, and hands back the remaining lines when 更新 is pressed. The slots themselves are
// changed by whoever asked; 中止, Esc and the close box change nothing. Owns its controls.
class HistoryEditor final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryEditor)

public:
    // dialogs: where it is shown.
    explicit HistoryEditor(UserDialogs &dialogs, QWidget *parent = nullptr);

    // Shows the entries, one line each (empty ones too), modally; the remaining lines in order
    // after 更新, nothing after 中止.
    std::optional<QStringList> edit(const QStringList &entries);

    QStringList lines() const;
    void deleteSelected(); // 削除

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();

    UserDialogs &m_dialogs;
    QListWidget *m_list = nullptr;
};
