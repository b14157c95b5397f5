#include "app/historyeditor.h"

#include "common/anchorlayout.h"
#include "common/namedwidget.h"
#include "common/uifont.h"
#include "common/userdialogs.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr QSize kClientSize{394, 201};
constexpr int kLabelSlack = 16;
const QString kInstruction = QStringLiteral("不要な履歴をリストから削除します。\n"
                                            "リストからファイルを選択後、「リスト削除」ボタンを押してください");

} // namespace

HistoryEditor::HistoryEditor(UserDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("RIREKIfrm"));
    setWindowTitle(QStringLiteral("ファイル履歴編集"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());
    buildControls();
    // The instruction must be read whole: where the fonts at hand set it wider than designed,
    // the window widens with it and the list follows.
    const int labelWidth = findChild<QLabel *>(QStringLiteral("Label1"))->sizeHint().width() + kLabelSlack;
    setFixedSize(qMax(kClientSize.width(), labelWidth + 2 * 16), kClientSize.height());
}

void HistoryEditor::buildControls()
{
    auto *layout = new AnchorLayout(this, kClientSize);

    auto *label = named<QLabel>(this, "Label1");
    label->setText(kInstruction);
    // Measured with some room to spare: glyphs taken from a fallback font can set a little wider.
    const QSize labelSize = label->sizeHint() + QSize(kLabelSlack, 0);
    layout->addWidget(label, {16, 16, labelSize.width(), labelSize.height()});

    m_list = named<QListWidget>(this, "ListBox1");
    m_list->setAccessibleName(QStringLiteral("ファイル履歴"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Long paths scroll sideways instead of being cut off.
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setWordWrap(false);
    label->setBuddy(m_list);
    layout->addWidget(m_list, {16, 48, 361, 113}, AnchorLayout::TopLeftRight);

    struct Button
    {
        const char *name;
        const char16_t *caption;
        int left;
    };
    const Button buttons[] = {
        {"Button1", u"削除", 80},
        {"Button3", u"更新", 160},
        {"Button2", u"中止", 264},
    };
    for (const Button &b : buttons) {
        auto *button = named<QPushButton>(this, b.name);
        button->setText(QString::fromUtf16(b.caption));
        // Enter in the list must not delete or apply anything by surprise.
        button->setAutoDefault(false);
        layout->addWidget(button, {b.left, 168, 75, 25});
    }
    connect(findChild<QPushButton *>(QStringLiteral("Button1")),
            &QPushButton::clicked,
            this,
            &HistoryEditor::deleteSelected);
    connect(findChild<QPushButton *>(QStringLiteral("Button3")), &QPushButton::clicked, this, &QDialog::accept);
    connect(findChild<QPushButton *>(QStringLiteral("Button2")), &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<QStringList> HistoryEditor::edit(const QStringList &entries)
{
    m_list->clear();
    m_list->addItems(entries);
    // An empty slot is still a line the user can see, select and delete.
    const QSize blankLine(1, m_list->fontMetrics().height() + 2);
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem *item = m_list->item(row);
        if (item->text().isEmpty()) {
            item->setSizeHint(blankLine);
            item->setData(Qt::AccessibleTextRole, QStringLiteral("（空き）"));
        }
    }
    if (m_dialogs.exec(this) != QDialog::Accepted)
        return std::nullopt;
    return lines();
}

QStringList HistoryEditor::lines() const
{
    QStringList out;
    for (int row = 0; row < m_list->count(); ++row)
        out.append(m_list->item(row)->text());
    return out;
}

void HistoryEditor::deleteSelected()
{
    for (int row = m_list->count() - 1; row >= 0; --row) {
        if (m_list->item(row)->isSelected())
            delete m_list->takeItem(row);
    }
}

void HistoryEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QWidget *main = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
}
