#include "authoring/tabledialog.h"

#include "common/anchorlayout.h"
#include "common/namedwidget.h"
#include "common/uifont.h"
#include "common/userdialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr QSize kClientSize{217, 169};
constexpr int kMaxListedCount = 10;

} // namespace

TableDialog::TableDialog(UserDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("表の設定"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());
    buildControls();
    setFixedSize(kClientSize);
    setSettings(TableSettings());
}

void TableDialog::buildControls()
{
    auto *layout = new AnchorLayout(this, kClientSize);
    auto place = [layout](QWidget *w, QRect r) { layout->addWidget(w, r); };

    struct Field
    {
        const char *labelName;
        const char16_t *caption;
        QWidget *control;
        int top;
    };
    m_rows = named<QComboBox>(this, "ComboBox1");
    m_columns = named<QComboBox>(this, "ComboBox2");
    for (QComboBox *box : {m_rows, m_columns}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        for (int count = 1; count <= kMaxListedCount; ++count)
            box->addItem(QString::number(count));
    }
    m_width = named<QLineEdit>(this, "Edit1");
    m_height = named<QLineEdit>(this, "Edit2");
    const Field fields[] = {
        {"Label1", u"行数", m_rows, 16},
        {"Label2", u"列数", m_columns, 46},
        {"Label3", u"表の横幅", m_width, 76},
        {"Label4", u"表の高さ", m_height, 106},
    };
    for (const Field &f : fields) {
        auto *label = named<QLabel>(this, f.labelName);
        label->setText(QString::fromUtf16(f.caption));
        label->setBuddy(f.control);
        f.control->setAccessibleName(label->text());
        place(label, {16, f.top + 3, 72, 16});
        place(f.control, {96, f.top, 97, 22});
    }

    auto *ok = named<QPushButton>(this, "Button1");
    ok->setText(QStringLiteral("設定"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TableDialog::settle);
    place(ok, {24, 136, 81, 25});
    auto *back = named<QPushButton>(this, "Button2");
    back->setText(QStringLiteral("戻る"));
    back->setAutoDefault(false);
    connect(back, &QPushButton::clicked, this, &TableDialog::reject);
    place(back, {112, 136, 81, 25});
}

void TableDialog::edit()
{
    m_dialogs.exec(this);
}

TableSettings TableDialog::settings() const
{
    return {m_rows->currentText(), m_columns->currentText(), m_width->text(), m_height->text()};
}

void TableDialog::setSettings(const TableSettings &settings)
{
    m_rows->setCurrentText(settings.rows);
    m_columns->setCurrentText(settings.columns);
    m_width->setText(settings.width);
    m_height->setText(settings.height);
}

void TableDialog::settle()
{
    const std::optional<TableField> unfilled = firstUnfilledField(settings());
    if (!unfilled) {
        accept();
        return;
    }
    m_dialogs.notify(this, QStringLiteral("未記入の項目があります"));
    QWidget *const controls[] = {m_rows, m_columns, m_width, m_height};
    controls[int(*unfilled)]->setFocus();
}

void TableDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Opened from the main window's menu: it stands in the middle of that window.
    if (const QWidget *main = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
}
