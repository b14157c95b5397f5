#pragma once

#include "common/userdialogs.h"

#include <QDialog>

class QFontDialog;
class QPushButton;

// The editor font dialog: Qt's font chooser for face, size and style, with a colour button
// beside it, since the editor's text takes a colour too and Qt's font dialog has no colour
// field. Edits a FontChoice; owns its controls.
class FontColorDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FontColorDialog)

public:
    explicit FontColorDialog(const FontChoice &initial, QWidget *parent = nullptr);

    FontChoice choice() const;
    void setColor(const QColor &color);

private:
    void pickColor();

    QFontDialog *m_font = nullptr;
    QPushButton *m_colorButton = nullptr;
    QColor m_color;
};
