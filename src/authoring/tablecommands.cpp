#include "authoring/tablecommands.h"

#include "authoring/tabledialog.h"
#include "authoring/tablefragments.h"
#include "common/commanddispatcher.h"

#include <QWidget>

TableCommands::TableCommands(CommandDispatcher &commands, PageContext &page, TableDialog &settings, QWidget &window)
    : QObject(&window), m_inserter(page), m_settings(settings)
{
    commands.add(QStringLiteral("mnuTableSetClick"), [this](int) { editSettings(); });
    commands.add(QStringLiteral("mnuTableClick"), [this](int tag) { insertTable(tag); });
}

void TableCommands::editSettings()
{
    m_settings.edit();
}

void TableCommands::insertTable(int tag)
{
    // A refused grid throws before anything reaches the pane; the dispatcher shows why.
    if (const TableFragments::Row *row = TableFragments::row(tag))
        m_inserter.insert(TableFragments::build(*row, m_settings.settings()));
}
