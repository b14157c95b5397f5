#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

// Asks the passphrase of an SFTP site's key file at 接続, when the key is locked by one. The box
// hides what is typed. Where the desktop has a keyring, a box to tick keeps the passphrase there
// for the next connections; otherwise it serves this connection only.
class PassphraseDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PassphraseDialog)

public:
    // keyring: whether the passphrase may be kept in the desktop's keyring.
    PassphraseDialog(const QString &keyFile, bool keyring, QWidget *parent = nullptr);

    QString passphrase() const;
    bool keepInKeyring() const;

private:
    QLineEdit *m_passphrase = nullptr;
    QCheckBox *m_keep = nullptr;
};
