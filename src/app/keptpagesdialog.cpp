#include "app/keptpagesdialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const QString kExplanation = QStringLiteral("前回終了したときに保存されていなかったページの内容が %1 件残っています。\n"
                                            "ページごとに「復元」か「破棄」を選んで OK を押してください。"
                                            "破棄したページの保管された内容は削除されます。\n"
                                            "キャンセルを押すと、どのページも次の起動まで保管しておきます。");
constexpr int kRestoreId = 1;
constexpr int kDiscardId = 0;

} // namespace

QString KeptPagesDialog::nameOf(const KeptPage &page)
{
    return page.path.isEmpty() ? QStringLiteral("無題") : QDir::toNativeSeparators(page.path);
}

KeptPagesDialog::KeptPagesDialog(const QList<KeptPage> &pages, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KeptPagesDialog"));
    setWindowTitle(QStringLiteral("確認"));
    setAccessibleName(windowTitle());
    auto *text = new QLabel(kExplanation.arg(pages.size()), this);
    text->setWordWrap(true);

    // A scrolled grid: a crash with many tabs open must not make the window taller than the screen.
    auto *rows = new QWidget;
    rows->setObjectName(QStringLiteral("KeptPagesList"));
    rows->setAccessibleName(QStringLiteral("保管されているページ"));
    auto *grid = new QGridLayout(rows);
    for (int i = 0; i < pages.size(); ++i) {
        const QString name = nameOf(pages.at(i));
        const QString kept = pages.at(i).keptAt.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        auto *label = new QLabel(QStringLiteral("%1（%2 に保管）").arg(name, kept), rows);
        label->setObjectName(QStringLiteral("KeptPageName%1").arg(i));
        // Each row's pair is a group of its own, so arrow keys choose within it and Tab moves on.
        auto *group = new QButtonGroup(this);
        group->setExclusive(true);
        struct Choice
        {
            const char *name;
            QString caption;
            int id;
        };
        const Choice choices[] = {{"KeptPageRestore", QStringLiteral("復元"), kRestoreId},
                                  {"KeptPageDiscard", QStringLiteral("破棄"), kDiscardId}};
        int column = 1;
        for (const Choice &choice : choices) {
            auto *button = new QRadioButton(choice.caption, rows);
            button->setObjectName(QString::fromLatin1(choice.name) + QString::number(i));
            button->setAccessibleName(QStringLiteral("「%1」を%2").arg(name, choice.caption));
            button->setAutoExclusive(false);
            group->addButton(button, choice.id);
            grid->addWidget(button, i, column++);
        }
        group->button(kRestoreId)->setChecked(true);
        label->setBuddy(group->button(kRestoreId));
        grid->addWidget(label, i, 0);
        m_rows.append(group);
    }
    grid->setColumnStretch(0, 1);
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(rows);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    const struct
    {
        QDialogButtonBox::StandardButton which;
        const char *name;
        QString caption;
    } captions[] = {{QDialogButtonBox::Ok, "KeptPagesOk", QStringLiteral("OK")},
                    {QDialogButtonBox::Cancel, "KeptPagesCancel", QStringLiteral("キャンセル")}};
    for (const auto &caption : captions) {
        QPushButton *button = buttons->button(caption.which);
        button->setObjectName(QString::fromLatin1(caption.name));
        button->setText(caption.caption);
        button->setAccessibleName(caption.caption);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
}

QList<bool> KeptPagesDialog::restoreChoices() const
{
    QList<bool> choices;
    for (const QButtonGroup *row : m_rows)
        choices.append(row->checkedId() == kRestoreId);
    return choices;
}
