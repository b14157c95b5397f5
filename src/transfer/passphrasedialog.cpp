#include "transfer/passphrasedialog.h"

#include "common/namedwidget.h"
#include "common/uifont.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PassphraseDialog::PassphraseDialog(const QString &keyFile, QWidget *parent) : QDialog(parent)
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

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setAccessibleName(ok->text());
    ok->setEnabled(false);
    QPushButton *cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAccessibleName(cancel->text());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(
        m_passphrase, &QLineEdit::textChanged, this, [ok](const QString &text) { ok->setEnabled(!text.isEmpty()); });
    layout->addWidget(buttons);
}

QString PassphraseDialog::passphrase() const
{
    return m_passphrase->text();
}
