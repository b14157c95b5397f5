#include "common/fontcolordialog.h"

#include "common/namedwidget.h"
#include "common/uifont.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr QSize kSwatchSize{32, 14};

} // namespace

FontColorDialog::FontColorDialog(const FontChoice &initial, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FontColorDialog"));
    setWindowTitle(QStringLiteral("フォント"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());

    // Qt's chooser, embedded as a plain widget: its own buttons would close only half the dialog.
    m_font = new QFontDialog(this);
    m_font->setObjectName(QStringLiteral("FontChooser"));
    m_font->setWindowFlags(Qt::Widget);
    m_font->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_font->setCurrentFont(initial.font);
    // Enter and Esc inside the chooser close the chooser alone; they are meant for this dialog.
    connect(m_font, &QDialog::accepted, this, &QDialog::accept);
    connect(m_font, &QDialog::rejected, this, &QDialog::reject);

    auto *colorLabel = new QLabel(QStringLiteral("色(&C):"), this);
    m_colorButton = named<QPushButton>(this, "ColorButton");
    m_colorButton->setAccessibleName(QStringLiteral("文字の色"));
    m_colorButton->setIconSize(kSwatchSize);
    colorLabel->setBuddy(m_colorButton);
    connect(m_colorButton, &QPushButton::clicked, this, &FontColorDialog::pickColor);

    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("Buttons"));
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(m_colorButton);
    colorRow->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_font);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);

    setColor(initial.color.isValid() ? initial.color : QColor(Qt::black));
}

FontChoice FontColorDialog::choice() const
{
    return {m_font->currentFont(), m_color};
}

void FontColorDialog::setColor(const QColor &color)
{
    m_color = color;
    QPixmap swatch(kSwatchSize);
    swatch.fill(color);
    m_colorButton->setIcon(swatch);
    m_colorButton->setText(color.name().toUpper());
}

void FontColorDialog::pickColor()
{
    const QColor chosen = QColorDialog::getColor(m_color, this, QStringLiteral("色の選択"));
    if (chosen.isValid())
        setColor(chosen);
}
