#include "transfer/secretanswerbuttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

namespace SecretAnswerButtons {

QDialogButtonBox *create(QDialog &dialog, QLineEdit &secret)
{
    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setAccessibleName(ok->text());
    ok->setEnabled(!secret.text().isEmpty());
    QPushButton *cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAccessibleName(cancel->text());
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(
        &secret, &QLineEdit::textChanged, ok, [ok](const QString &text) { ok->setEnabled(!text.isEmpty()); });
    return buttons;
}

} // namespace SecretAnswerButtons
