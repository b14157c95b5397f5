#include "app/unsavedpagesdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

UnsavedPagesDialog::UnsavedPagesDialog(const QStringList &names, QWidget *parent)
    : QDialog(parent), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("UnsavedPagesDialog"));
    setWindowTitle(QStringLiteral("確認"));
    setAccessibleName(windowTitle());
    auto *text = new QLabel(
        QStringLiteral("保存されていないページがあります。チェックしたページを保存して終了しますか？"), this);
    text->setWordWrap(true);
    m_list->setObjectName(QStringLiteral("UnsavedPagesList"));
    m_list->setAccessibleName(QStringLiteral("保存されていないページ"));
    text->setBuddy(m_list);
    for (const QString &name : names) {
        auto *item = new QListWidgetItem(name, m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    auto *buttons = new QDialogButtonBox(this);
    struct Button
    {
        const char *name;
        QString caption;
        Answer answer;
        QDialogButtonBox::ButtonRole role;
    };
    const Button rows[] = {
        {"SaveButton", QStringLiteral("保存"), Answer::Save, QDialogButtonBox::AcceptRole},
        {"DontSaveButton", QStringLiteral("保存しない"), Answer::DontSave, QDialogButtonBox::DestructiveRole},
        {"CancelButton", QStringLiteral("キャンセル"), Answer::Cancel, QDialogButtonBox::RejectRole},
    };
    for (const Button &row : rows) {
        QPushButton *button = buttons->addButton(row.caption, row.role);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setAccessibleName(row.caption);
        const Answer answer = row.answer;
        connect(button, &QPushButton::clicked, this, [this, answer] { answerWith(answer); });
        // A stray Enter keeps every page open.
        if (answer == Answer::Cancel)
            button->setDefault(true);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

QList<int> UnsavedPagesDialog::checked() const
{
    QList<int> rows;
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->checkState() == Qt::Checked)
            rows.append(i);
    }
    return rows;
}

void UnsavedPagesDialog::answerWith(Answer answer)
{
    m_answer = answer;
    if (answer == Answer::Cancel)
        reject();
    else
        accept();
}
