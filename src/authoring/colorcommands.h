#pragma once

#include "authoring/fragmentinserter.h"

#include <QObject>

class ColorSizeDialog;
class CommandDispatcher;
class PageContext;
class QWidget;

// The commands that ask for a colour alone: 色 (the colour text), 挿入 > 背景色 (a bgcolor
// attribute) and 環境設定 > 背景色 (the editing pane's own background). Owns its insertion model;
// refers to the rest.
class ColorCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColorCommands)

public:
    // Becomes a child of window.
    ColorCommands(CommandDispatcher &commands, PageContext &page, ColorSizeDialog &colorSize, QWidget &window);

    void insertColor();           // mnuColorSetClick
    void insertBackgroundColor(); // mnuBGCOLORClick
    void setEditorBackground();   // N10Click

private:
    PageContext &m_page;
    FragmentInserter m_inserter;
    ColorSizeDialog &m_colorSize;
};
