#include "app/replacedialog.h"

#include "common/namedwidget.h"
#include "common/uifont.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct TextRow
{
    const char *labelName;
    const char *label;
    const char *editName;
    const char *accessibleName;
};

constexpr TextRow kSearchRow = {"ReplaceFindLabel", "検索する文字列(&N):", "ReplaceFindEdit", "検索する文字列"};
constexpr TextRow kReplacementRow = {"ReplaceWithLabel", "置換後の文字列(&P):", "ReplaceWithEdit", "置換後の文字列"};

struct Choice
{
    const char *name;
    const char *caption;
    const char *accessibleName;
    QCheckBox *ReplaceDialog::*control;
};

struct Button
{
    const char *name;
    const char *caption;
    const char *accessibleName;
    void (ReplaceDialog::*signal)();
};

QLineEdit *addTextRow(QWidget *dialog, QGridLayout *layout, const TextRow &row)
{
    auto *label = named<QLabel>(dialog, row.labelName);
    label->setText(QString::fromUtf8(row.label));
    auto *edit = named<QLineEdit>(dialog, row.editName);
    edit->setAccessibleName(QString::fromUtf8(row.accessibleName));
    edit->setMinimumWidth(240);
    label->setBuddy(edit);
    const int line = layout->rowCount();
    layout->addWidget(label, line, 0);
    layout->addWidget(edit, line, 1);
    return edit;
}

} // namespace

ReplaceDialog::ReplaceDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReplaceDialog"));
    setWindowTitle(QStringLiteral("置換"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());
    setModal(false);

    // Made in the order Tab goes through them: the two texts, the choices, then the buttons.
    auto *layout = new QGridLayout;
    m_search = addTextRow(this, layout, kSearchRow);
    m_replacement = addTextRow(this, layout, kReplacementRow);

    const Choice choices[] = {
        {"ReplaceMatchCase", "大文字と小文字を区別(&C)", "大文字と小文字を区別", &ReplaceDialog::m_matchCase},
        {"ReplaceWholeWord", "単語単位(&W)", "単語単位", &ReplaceDialog::m_wholeWord},
        {"ReplaceRegex", "正規表現(&E)", "正規表現", &ReplaceDialog::m_regex},
    };
    auto *choiceColumn = new QVBoxLayout;
    for (const Choice &choice : choices) {
        QCheckBox *box = named<QCheckBox>(this, choice.name);
        box->setText(QString::fromUtf8(choice.caption));
        box->setAccessibleName(QString::fromUtf8(choice.accessibleName));
        choiceColumn->addWidget(box);
        this->*choice.control = box;
        connect(box, &QCheckBox::toggled, this, &ReplaceDialog::searchChanged);
    }
    layout->addLayout(choiceColumn, layout->rowCount(), 1);

    const Button buttons[] = {
        {"ReplaceFindNext", "次を検索(&F)", "次を検索", &ReplaceDialog::findNextRequested},
        {"ReplaceOne", "置換(&R)", "置換", &ReplaceDialog::replaceRequested},
        {"ReplaceAll", "すべて置換(&A)", "すべて置換", &ReplaceDialog::replaceAllRequested},
        {"ReplaceClose", "閉じる", "閉じる", nullptr},
    };
    auto *buttonColumn = new QVBoxLayout;
    for (const Button &button : buttons) {
        auto *push = named<QPushButton>(this, button.name);
        push->setText(QString::fromUtf8(button.caption));
        push->setAccessibleName(QString::fromUtf8(button.accessibleName));
        // Enter is 次を検索 wherever the focus is; Space still presses the button it is on.
        push->setAutoDefault(false);
        buttonColumn->addWidget(push);
        if (button.signal) {
            m_searchButtons.append(push);
            connect(push, &QPushButton::clicked, this, button.signal);
        } else {
            connect(push, &QPushButton::clicked, this, &QDialog::reject);
        }
    }
    m_searchButtons.first()->setDefault(true);
    buttonColumn->addStretch();
    layout->addLayout(buttonColumn, 0, 2, layout->rowCount(), 1);

    // Its text changes with every outcome, so a screen reader reads the text, told what it is.
    m_message = named<QLabel>(this, "ReplaceMessage");
    m_message->setAccessibleDescription(QStringLiteral("置換の結果と正規表現の誤り"));
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_message->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_message, layout->rowCount(), 0, 1, 3);

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(layout);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_search, &QLineEdit::textChanged, this, &ReplaceDialog::searchChanged);
    searchChanged();
}

QString ReplaceDialog::searchText() const
{
    return m_search->text();
}

void ReplaceDialog::setSearchText(const QString &text)
{
    m_search->setText(text);
}

QString ReplaceDialog::replacementText() const
{
    return m_replacement->text();
}

ReplaceRules::Options ReplaceDialog::options() const
{
    return {m_matchCase->isChecked(), m_wholeWord->isChecked(), m_regex->isChecked()};
}

void ReplaceDialog::activate()
{
    show();
    raise();
    activateWindow();
    m_search->setFocus();
    m_search->selectAll();
}

void ReplaceDialog::showMessage(const QString &text)
{
    m_message->setText(text);
}

void ReplaceDialog::searchChanged()
{
    // Nothing to look for, nothing to find: the buttons wait for text, as the find dialog's does.
    const bool hasText = !m_search->text().isEmpty();
    for (QPushButton *button : std::as_const(m_searchButtons))
        button->setEnabled(hasText);
    // Told while typing, never in a box that would take the keys away.
    showMessage(hasText ? ReplaceRules::Pattern(m_search->text(), options()).errorMessage() : QString());
}
