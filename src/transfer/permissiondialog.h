#pragma once

#include "transfer/permissionbits.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UserDialogs;

// The permission dialog (Ftp2, "パーミション設定"): a view over the PermissionBits of one remote
// item. Created once and reused, so its boxes keep their states between openings; each opening
// rewrites them. It sends nothing itself: 変更 asks its owner to send the site command (a job of
// the transfer window's FTP session) and waits, with its buttons off, for the answer.
class PermissionDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PermissionDialog)

public:
    // dialogs: where it is shown and where a refused change is reported.
    explicit PermissionDialog(UserDialogs &dialogs, QWidget *parent = nullptr);

    // Shows the dialog modally for the item of that name and attribute text ("-rw-r--r--").
    // Returns true when a change was sent and accepted (the owner then refreshes its list).
    bool editPermissions(const QString &name, const QString &attributes);

    // The owner's answer to changeRequested: success closes the dialog; a failure is shown in the
    // generic error box and the dialog stays open.
    void changeSucceeded();
    void changeFailed(const QString &failure);

signals:
    // "chmod 755 cgi.pl": the text to send with SITE.
    void changeRequested(const QString &siteCommand);

private:
    void buildControls();
    void showBits(const PermissionBits &bits);
    PermissionBits bitsFromBoxes() const;
    void boxClicked(int group);
    void requestChange(); // 変更
    void setWaiting(bool waiting);

    UserDialogs &m_dialogs;
    QLabel *m_name = nullptr;
    std::array<std::array<QCheckBox *, 3>, PermissionBits::kGroupCount> m_boxes{};
    std::array<QLabel *, PermissionBits::kGroupCount> m_digits{};
    QLineEdit *m_directEntry = nullptr;
    QPushButton *m_change = nullptr;
    QPushButton *m_close = nullptr;
};
