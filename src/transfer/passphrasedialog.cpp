#include "transfer/passphrasedialog.h"

#include "common/namedwidget.h"
#include "common/uifont.h"
#include "transfer/secretanswerbuttons.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

PassphraseDialog::PassphraseDialog(const QString &keyFile, bool keyring, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PassphraseDialog"));
    setWindowTitle(QStringLiteral("パスフレーズの入力"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());

    auto *layout = new QVBoxLayout(this);
    auto *prompt = new QLabel(QStringLiteral("鍵ファイル「%1」のパスフレーズを入力してください。").arg(keyFile), this);
    prompt->setTextFormat(Qt::PlainText);
    prompt->setWordWrap(true);
    layout->addWidget(prompt);

    m_passphrase = named<QLineEdit>(this, "PassphraseEdit");
    m_passphrase->setEchoMode(QLineEdit::Password);
    m_passphrase->setAccessibleName(QStringLiteral("パスフレーズ"));
    prompt->setBuddy(m_passphrase);
    layout->addWidget(m_passphrase);

    if (keyring) {
        m_keep = named<QCheckBox>(this, "KeepPassphraseCheckBox");
        m_keep->setText(QStringLiteral("パスフレーズをキーリングに保存する"));
        m_keep->setAccessibleName(m_keep->text());
        layout->addWidget(m_keep);
    }

    layout->addWidget(SecretAnswerButtons::create(*this, *m_passphrase));
}

bool PassphraseDialog::keepInKeyring() const
{
    return m_keep && m_keep->isChecked();
}

QString PassphraseDialog::passphrase() const
{
    return m_passphrase->text();
}
