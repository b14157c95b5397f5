#pragma once

#include "authoring/colorchoice.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QScrollBar;
class UserDialogs;

// The colour and size dialog (Form2): the user picks a colour and/or a font size for the
// formatting commands. It is a view over a ColorChoice: its controls hold the choice, so it is
// kept between showings for the whole run; the result text is set by 設定 and emptied by every
// way of closing without it (閉じる, Esc, the close box). Owns its controls.
class ColorSizeDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColorSizeDialog)

public:
    // dialogs: where it is shown and where the refusal of 設定 without a ticked box appears.
    explicit ColorSizeDialog(UserDialogs &dialogs, QWidget *parent = nullptr);

    // Shows the dialog with a command's preset applied and returns what it was left with; the
    // colour text is empty unless 設定 closed it.
    ColorChoice ask(const ColorSizePreset &preset);

    void applyPreset(const ColorSizePreset &preset);
    // The controls' state; the result text is not part of what can be set.
    ColorChoice choice() const;
    void setChoice(const ColorChoice &choice);
    const QString &colorText() const { return m_colorText; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void showColor(); // labels and swatch follow the scroll bars
    void settle();    // 設定
    RgbColor color() const;
    ColorNotation notation() const;

    UserDialogs &m_dialogs;
    QString m_colorText;
    ColorNotation m_htmlNotation = ColorNotation::Hash;
    QCheckBox *m_useColor = nullptr;
    QCheckBox *m_useSize = nullptr;
    QComboBox *m_size = nullptr;
    QScrollBar *m_red = nullptr;
    QScrollBar *m_green = nullptr;
    QScrollBar *m_blue = nullptr;
    QLabel *m_swatch = nullptr;
    QLabel *m_rgbLabel = nullptr;
    QLabel *m_dollarLabel = nullptr;
    QLabel *m_hashLabel = nullptr;
    QRadioButton *m_rgbRadio = nullptr;
    QRadioButton *m_dollarRadio = nullptr;
    QRadioButton *m_hashRadio = nullptr;
};
