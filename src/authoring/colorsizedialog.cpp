#include "authoring/colorsizedialog.h"

ColorSizeDialog::ColorSizeDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("色やサイズの指定"));
    setAccessibleName(windowTitle());
}
