#pragma once

#include "authoring/fragmentinserter.h"

#include <QObject>

class CommandDispatcher;
class PageContext;
class QWidget;
class TableDialog;

// The 表 menu: 表の設定 shows the settings dialog; the five tables are built from what its
// fields hold, without showing it, and replace the selection. Owns its insertion model; refers
// to the dialog.
class TableCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TableCommands)

public:
    // window: becomes the parent.
    TableCommands(CommandDispatcher &commands, PageContext &page, TableDialog &settings, QWidget &window);

    void editSettings();       // mnuTableSetClick
    void insertTable(int tag); // mnuTableClick

private:
    FragmentInserter m_inserter;
    TableDialog &m_settings;
};
