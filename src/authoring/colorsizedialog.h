#pragma once

#include <QDialog>

// The colour and size dialog (Form2): the user picks a colour and/or a font size for the
// formatting commands. It lives for the whole run and keeps its settings between showings.
class ColorSizeDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColorSizeDialog)

public:
    explicit ColorSizeDialog(QWidget *parent = nullptr);
};
