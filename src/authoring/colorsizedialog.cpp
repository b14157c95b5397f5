#include "authoring/colorsizedialog.h"

#include "common/anchorlayout.h"
#include "common/namedwidget.h"
#include "common/uifont.h"
#include "common/userdialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

namespace {

constexpr QSize kClientSize{329, 249};
constexpr int kComponentMax = 255;
constexpr int kLargeStep = 20;
constexpr QSize kSwatchSize{97, 73};

} // namespace

ColorSizeDialog::ColorSizeDialog(UserDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("色やサイズの指定"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());
    buildControls();
    setFixedSize(kClientSize);
    showColor();
}

void ColorSizeDialog::buildControls()
{
    auto *layout = new AnchorLayout(this, kClientSize);
    auto place = [layout](QWidget *w, QRect r) { layout->addWidget(w, r); };

    auto *frame = named<QFrame>(this, "Shape1");
    frame->setFrameShape(QFrame::Box);
    place(frame, {8, 8, 313, 57});
    auto *heading = named<QLabel>(this, "Label4");
    heading->setText(QStringLiteral("チェックボックスを指定してください"));
    place(heading, {16, 14, 297, 16});

    m_useColor = named<QCheckBox>(this, "CheckColor");
    m_useColor->setText(QStringLiteral("色"));
    place(m_useColor, {16, 38, 57, 18});
    m_useSize = named<QCheckBox>(this, "CheckSize");
    m_useSize->setText(QStringLiteral("文字サイズ"));
    place(m_useSize, {104, 38, 105, 18});
    m_size = named<QComboBox>(this, "ComboBox1");
    m_size->setEditable(true);
    for (int size = 1; size <= 7; ++size)
        m_size->addItem(QString::number(size));
    m_size->setCurrentText(QStringLiteral("4"));
    m_size->setAccessibleName(QStringLiteral("文字サイズ"));
    place(m_size, {216, 35, 57, 22});

    struct Component
    {
        QScrollBar **bar;
        const char *barName;
        const char *labelName;
        const char16_t *caption;
    };
    const Component components[] = {
        {&m_red, "ScrollBar1", "Label1", u"赤"},
        {&m_green, "ScrollBar2", "Label2", u"緑"},
        {&m_blue, "ScrollBar3", "Label3", u"青"},
    };
    int top = 76;
    for (const Component &c : components) {
        auto *label = named<QLabel>(this, c.labelName);
        label->setText(QString::fromUtf16(c.caption));
        place(label, {8, top, 17, 16});
        auto *bar = named<QScrollBar>(this, c.barName);
        bar->setOrientation(Qt::Horizontal);
        bar->setRange(0, kComponentMax);
        bar->setSingleStep(1);
        bar->setPageStep(kLargeStep);
        bar->setFocusPolicy(Qt::StrongFocus);
        bar->setAccessibleName(label->text());
        label->setBuddy(bar);
        connect(bar, &QScrollBar::valueChanged, this, &ColorSizeDialog::showColor);
        place(bar, {28, top, 185, 17});
        *c.bar = bar;
        top += 25;
    }
    m_swatch = named<QLabel>(this, "Image1");
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAccessibleName(QStringLiteral("色見本"));
    place(m_swatch, {224, 72, kSwatchSize.width(), kSwatchSize.height()});

    struct Notation
    {
        QRadioButton **radio;
        QLabel **label;
        const char *radioName;
        const char *labelName;
        const char16_t *accessibleName;
    };
    const Notation notations[] = {
        {&m_rgbRadio, &m_rgbLabel, "RadioButton1", "LblRGB", u"RGB 表記"},
        {&m_dollarRadio, &m_dollarLabel, "RadioButton2", "LblS", u"$ 表記"},
        {&m_hashRadio, &m_hashLabel, "RadioButton3", "LblH", u"# 表記"},
    };
    top = 154;
    for (const Notation &n : notations) {
        auto *radio = named<QRadioButton>(this, n.radioName);
        radio->setAccessibleName(QString::fromUtf16(n.accessibleName));
        place(radio, {8, top, 17, 17});
        auto *label = named<QLabel>(this, n.labelName);
        label->setBuddy(radio);
        place(label, {28, top, 150, 17});
        *n.radio = radio;
        *n.label = label;
        top += 24;
    }
    m_hashRadio->setChecked(true);

    auto *ok = named<QPushButton>(this, "Button1");
    ok->setText(QStringLiteral("設定"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &ColorSizeDialog::settle);
    place(ok, {168, 214, 73, 25});
    auto *close = named<QPushButton>(this, "Button2");
    close->setText(QStringLiteral("閉じる"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &ColorSizeDialog::reject);
    place(close, {248, 214, 73, 25});
}

RgbColor ColorSizeDialog::color() const
{
    return {m_red->value(), m_green->value(), m_blue->value()};
}

ColorNotation ColorSizeDialog::notation() const
{
    if (m_rgbRadio->isChecked())
        return ColorNotation::Rgb;
    if (m_dollarRadio->isChecked())
        return ColorNotation::Dollar;
    return ColorNotation::Hash;
}

void ColorSizeDialog::showColor()
{
    const RgbColor c = color();
    m_rgbLabel->setText(::colorText(c, ColorNotation::Rgb));
    m_dollarLabel->setText(::colorText(c, ColorNotation::Dollar));
    m_hashLabel->setText(::colorText(c, ColorNotation::Hash));
    QPixmap swatch(kSwatchSize);
    swatch.fill(QColor(c.red, c.green, c.blue));
    m_swatch->setPixmap(swatch);
}

ColorChoice ColorSizeDialog::ask(const ColorSizePreset &preset)
{
    applyPreset(preset);
    m_dialogs.exec(this);
    ColorChoice result = choice();
    ::rememberNotation(result, preset);
    m_htmlNotation = result.htmlNotation;
    return result;
}

void ColorSizeDialog::applyPreset(const ColorSizePreset &preset)
{
    ColorChoice current = choice();
    ::applyPreset(current, preset);
    setChoice(current);
}

void ColorSizeDialog::setChoice(const ColorChoice &choice)
{
    m_htmlNotation = choice.htmlNotation;
    m_useColor->setChecked(choice.useColor);
    m_useSize->setChecked(choice.useSize);
    m_size->setCurrentText(choice.sizeText);
    m_red->setValue(choice.color.red);
    m_green->setValue(choice.color.green);
    m_blue->setValue(choice.color.blue);
    switch (choice.notation) {
    case ColorNotation::Rgb:
        m_rgbRadio->setChecked(true);
        break;
    case ColorNotation::Dollar:
        m_dollarRadio->setChecked(true);
        break;
    case ColorNotation::Hash:
        m_hashRadio->setChecked(true);
        break;
    }
}

ColorChoice ColorSizeDialog::choice() const
{
    return {m_useColor->isChecked(),
            m_useSize->isChecked(),
            m_size->currentText(),
            color(),
            notation(),
            m_colorText,
            m_htmlNotation};
}

void ColorSizeDialog::settle()
{
    const ColorChoice current = choice();
    if (!canAccept(current)) {
        m_dialogs.notify(this, QStringLiteral("色か文字サイズのどちらかを指定してください。"));
        return;
    }
    m_colorText = ::colorText(current.color, current.notation);
    accept();
}

void ColorSizeDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A small tool dialog opened from several menus: always in the middle of the screen.
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void ColorSizeDialog::reject()
{
    // Whatever way the dialog is left without 設定, the command that opened it must not go on
    // with the result of an earlier showing.
    m_colorText.clear();
    QDialog::reject();
}
