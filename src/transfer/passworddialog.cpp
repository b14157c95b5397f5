#include "transfer/passworddialog.h"

#include "common/namedwidget.h"
#include "common/uifont.h"
#include "transfer/secretanswerbuttons.h"
#include "transfer/siterecord.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString keepingText(PasswordDialog::Keeping keeping)
{
    switch (keeping) {
    case PasswordDialog::Keeping::ForTheRun:
        return QStringLiteral("このパスワードはプログラムを終了するまで覚えておきます。");
    case PasswordDialog::Keeping::InKeyring:
        return QStringLiteral("このパスワードはデスクトップのキーリングに保存します。");
    case PasswordDialog::Keeping::ForTheRunOrInFile:
        return QStringLiteral("デスクトップのキーリング (パスワードを安全に保管する場所) が使えないため、"
                              "このパスワードはプログラムを終了するまで覚えておきます。");
    }
    return {};
}

} // namespace

PasswordDialog::PasswordDialog(const SiteRecord &site, Keeping keeping, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PasswordDialog"));
    setWindowTitle(QStringLiteral("パスワードの入力"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());

    auto *layout = new QVBoxLayout(this);
    auto *prompt = new QLabel(
        QStringLiteral("%1 (%2@%3) のパスワードを入力してください。").arg(site.name, site.user, site.host), this);
    prompt->setTextFormat(Qt::PlainText);
    prompt->setWordWrap(true);
    layout->addWidget(prompt);

    m_password = named<QLineEdit>(this, "PasswordEdit");
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setAccessibleName(QStringLiteral("パスワード"));
    prompt->setBuddy(m_password);
    layout->addWidget(m_password);

    auto *note = new QLabel(keepingText(keeping), this);
    note->setWordWrap(true);
    layout->addWidget(note);

    if (keeping == Keeping::ForTheRunOrInFile) {
        m_keepInFile = named<QCheckBox>(this, "KeepInFileBox");
        m_keepInFile->setText(keepInFileCaption());
        m_keepInFile->setAccessibleName(m_keepInFile->text());
        m_keepInFile->setToolTip(QStringLiteral("RODav.ini を読める人には、パスワードも読めます"));
        layout->addWidget(m_keepInFile);
    }

    layout->addWidget(SecretAnswerButtons::create(*this, *m_password));
}

QString PasswordDialog::password() const
{
    return m_password->text();
}

bool PasswordDialog::keepInFile() const
{
    return m_keepInFile && m_keepInFile->isChecked();
}
