#include "transfer/permissiondialog.h"

#include "common/namedwidget.h"
#include "common/uifont.h"
#include "common/userdialogs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr QSize kDesignedSize{364, 207};

struct GroupDesign
{
    const char *boxName;
    const char *caption;
    const char *digitName;
    int left;
    std::array<const char *, 3> checkNames;
};

const GroupDesign kGroups[PermissionBits::kGroupCount] = {
    {"GroupBox1", "本人", "Label1", 8, {"CheckBox1", "CheckBox2", "CheckBox3"}},
    {"GroupBox2", "グループ", "Label2", 126, {"CheckBox4", "CheckBox5", "CheckBox6"}},
    {"GroupBox3", "他人", "Label3", 244, {"CheckBox7", "CheckBox8", "CheckBox9"}},
};

const char *const kBitCaptions[3] = {"R:読込可能", "W:書込可能", "X:実行可能"};

} // namespace

PermissionDialog::PermissionDialog(UserDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Ftp2"));
    setWindowTitle(QStringLiteral("パーミション設定"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());
    setFixedSize(kDesignedSize);
    buildControls();
}

void PermissionDialog::buildControls()
{
    auto *nameCaption = new QLabel(QStringLiteral("ファイル名＝"), this);
    nameCaption->setGeometry(8, 8, 72, 16);
    m_name = named<QLabel>(this, "Label4");
    m_name->setGeometry(80, 8, 276, 16);
    m_name->setAccessibleDescription(QStringLiteral("パーミションを変更するファイルの名前"));

    for (int group = 0; group < PermissionBits::kGroupCount; ++group) {
        const GroupDesign &design = kGroups[group];
        auto *box = named<QGroupBox>(this, design.boxName);
        box->setTitle(QString::fromUtf8(design.caption));
        box->setAccessibleName(box->title());
        box->setGeometry(design.left, 32, 112, 88);
        for (int bit = 0; bit < 3; ++bit) {
            QCheckBox *check = named<QCheckBox>(box, design.checkNames[bit]);
            check->setText(QString::fromUtf8(kBitCaptions[bit]));
            check->setAccessibleName(box->title() + QLatin1Char(' ') + check->text());
            check->setProperty("tag", PermissionBits::kBitValues[bit]);
            check->setGeometry(8, 20 + bit * 22, 100, 18);
            connect(check, &QCheckBox::clicked, this, [this, group] { boxClicked(group); });
            m_boxes[group][bit] = check;
        }
        QLabel *digit = named<QLabel>(this, design.digitName);
        digit->setGeometry(design.left + 48, 124, 16, 16);
        digit->setAccessibleDescription(box->title() + QStringLiteral("の数字"));
        m_digits[group] = digit;
    }

    auto *entryCaption = new QLabel(QStringLiteral("属性直接指定"), this);
    entryCaption->setGeometry(8, 154, 84, 16);
    m_directEntry = named<QLineEdit>(this, "Edit1");
    m_directEntry->setGeometry(96, 150, 48, 22);
    m_directEntry->setAccessibleName(entryCaption->text());
    entryCaption->setBuddy(m_directEntry);

    m_change = named<QPushButton>(this, "Button1");
    m_change->setText(QStringLiteral("変更"));
    m_change->setAccessibleName(m_change->text());
    m_change->setGeometry(192, 148, 75, 25);
    connect(m_change, &QPushButton::clicked, this, &PermissionDialog::requestChange);

    m_close = named<QPushButton>(this, "Button2");
    m_close->setText(QStringLiteral("閉じる"));
    m_close->setAccessibleName(m_close->text());
    m_close->setGeometry(280, 148, 75, 25);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject); // Esc rejects too
}

bool PermissionDialog::editPermissions(const QString &name, const QString &attributes)
{
    m_name->setText(name);
    showBits(PermissionBits::fromAttributes(attributes));
    setWaiting(false);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return m_dialogs.exec(this) == QDialog::Accepted;
}

void PermissionDialog::showBits(const PermissionBits &bits)
{
    for (int group = 0; group < PermissionBits::kGroupCount; ++group) {
        for (int bit = 0; bit < 3; ++bit)
            m_boxes[group][bit]->setChecked(bits.checked[group][bit]);
        m_digits[group]->setText(bits.digit(PermissionBits::Group(group)));
    }
    m_directEntry->setText(bits.digits());
}

PermissionBits PermissionDialog::bitsFromBoxes() const
{
    PermissionBits bits;
    for (int group = 0; group < PermissionBits::kGroupCount; ++group) {
        for (int bit = 0; bit < 3; ++bit)
            bits.checked[group][bit] = m_boxes[group][bit]->isChecked();
    }
    return bits;
}

void PermissionDialog::boxClicked(int group)
{
    const PermissionBits bits = bitsFromBoxes();
    m_digits[group]->setText(bits.digit(PermissionBits::Group(group)));
    m_directEntry->setText(m_digits[0]->text() + m_digits[1]->text() + m_digits[2]->text());
}

void PermissionDialog::requestChange()
{
    // The digits are what the labels show, which a box click keeps in step with the boxes.
    const QString command = bitsFromBoxes().siteCommand(m_directEntry->text(), m_name->text());
    if (command.isEmpty())
        return; // an over-long direct entry is ignored without a message
    setWaiting(true);
    emit changeRequested(command);
}

void PermissionDialog::changeSucceeded()
{
    setWaiting(false);
    accept();
}

void PermissionDialog::changeFailed(const QString &failure)
{
    setWaiting(false);
    m_dialogs.showError(this, failure);
}

void PermissionDialog::setWaiting(bool waiting)
{
    m_change->setEnabled(!waiting);
    for (const auto &group : m_boxes) {
        for (QCheckBox *box : group)
            box->setEnabled(!waiting);
    }
    m_directEntry->setEnabled(!waiting);
}
