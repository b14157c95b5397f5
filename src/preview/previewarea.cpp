#include "preview/previewarea.h"

#include <QPalette>
#include <QVBoxLayout>

PreviewArea::PreviewArea(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WebBrowser1"));
    setAccessibleName(QStringLiteral("プレビュー"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setMinimumHeight(0);
}
