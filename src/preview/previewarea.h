#pragma once

#include <QWidget>

// The area below the editor where the page is rendered (WebBrowser1). It hosts the browser
// engine's view; until one is attached it is a plain white pane.
class PreviewArea final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewArea)

public:
    explicit PreviewArea(QWidget *parent = nullptr);
};
