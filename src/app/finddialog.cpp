#include "app/finddialog.h"

#include "common/namedwidget.h"
#include "common/uifont.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

FindDialog::FindDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("検索"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());
    setModal(false);

    auto *label = named<QLabel>(this, "FindLabel");
    label->setText(QStringLiteral("検索する文字列(&N):"));
    m_text = named<QLineEdit>(this, "FindText");
    m_text->setAccessibleName(QStringLiteral("検索する文字列"));
    m_text->setMinimumWidth(220);
    label->setBuddy(m_text);

    m_findNext = named<QPushButton>(this, "FindNextButton");
    m_findNext->setText(QStringLiteral("次を検索(&F)"));
    m_findNext->setDefault(true);
    m_findNext->setEnabled(false);
    auto *cancel = named<QPushButton>(this, "CancelButton");
    cancel->setText(QStringLiteral("キャンセル"));
    cancel->setAutoDefault(false);

    auto *layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_text, 0, 1);
    layout->addWidget(m_findNext, 0, 2);
    layout->addWidget(cancel, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Nothing to look for, nothing to find: the button waits for text, as the platform's does.
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_findNext->setEnabled(!text.isEmpty());
    });
    connect(m_findNext, &QPushButton::clicked, this, &FindDialog::findNextRequested);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // F3 is Find next in the main window; it stays so while this dialog has the focus.
    auto *f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    f3->setObjectName(QStringLiteral("FindNextShortcut"));
    connect(f3, &QShortcut::activated, this, &FindDialog::findNextRequested);
}

QString FindDialog::searchText() const
{
    return m_text->text();
}

void FindDialog::setSearchText(const QString &text)
{
    m_text->setText(text);
    m_text->selectAll();
}
