#pragma once

#include <QDialog>

class QLineEdit;

// Asks the passphrase of an SFTP site's key file at 接続, when the key is locked by one. The box
// hides what is typed; the passphrase is used for this connection only and never stored.
class PassphraseDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PassphraseDialog)

public:
    explicit PassphraseDialog(const QString &keyFile, QWidget *parent = nullptr);

    QString passphrase() const;

private:
    QLineEdit *m_passphrase = nullptr;
};
