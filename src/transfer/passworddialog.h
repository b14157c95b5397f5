#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
struct SiteRecord;

// Asks a site's password at 接続 when neither the book nor the keyring gives one. The box hides
// what is typed, and the dialog says where the password will be kept. Where there is no keyring
// it offers to keep the password in RODav.ini, unencrypted, as a choice the user makes
// explicitly, never as the default.
class PasswordDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PasswordDialog)

public:
    enum class Keeping {
        ForTheRun,         // kept until the program ends
        InKeyring,         // written to the desktop keyring
        ForTheRunOrInFile, // no keyring: kept until the program ends, or in RODav.ini if chosen
    };

    PasswordDialog(const SiteRecord &site, Keeping keeping, QWidget *parent = nullptr);

    QString password() const;
    // The user chose to keep the password in RODav.ini.
    bool keepInFile() const;

    static QString keepInFileCaption() { return QStringLiteral("パスワードをファイルに保存する (暗号化されません)"); }

private:
    QLineEdit *m_password = nullptr;
    QCheckBox *m_keepInFile = nullptr;
};
