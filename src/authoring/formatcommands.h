#pragma once

#include "authoring/fragmentinserter.h"

#include <QObject>

class ColorSizeDialog;
class CommandDispatcher;
class PageContext;
class QWidget;

// The 文字 and 書式 menus: font tags around the selection (some asking colour and size first)
// and alignment blocks or attributes. Owns its insertion model; refers to the rest.
class FormatCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormatCommands)

public:
    // Becomes a child of window.
    FormatCommands(CommandDispatcher &commands, PageContext &page, ColorSizeDialog &colorSize, QWidget &window);

    void formatText(int tag); // Font1Click
    void align(int tag);      // mnuSetAlignClick

private:
    FragmentInserter m_inserter;
    ColorSizeDialog &m_colorSize;
};
