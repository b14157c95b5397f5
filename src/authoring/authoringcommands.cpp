#include "authoring/authoringcommands.h"

#include "authoring/colorcommands.h"
#include "authoring/formatcommands.h"
#include "authoring/insertcommands.h"
#include "authoring/pagecommands.h"
#include "authoring/paragraphcommands.h"
#include "authoring/rewritecommands.h"
#include "authoring/tablecommands.h"
#include "authoring/templatecommands.h"

#include <QWidget>

namespace AuthoringCommands {

void install(CommandDispatcher &commands,
             PageContext &page,
             UserDialogs &dialogs,
             ColorSizeDialog &colorSize,
             TableDialog &table,
             QWidget &window)
{
    new PageCommands(commands, page, dialogs, window);
    new FormatCommands(commands, page, colorSize, window);
    new ColorCommands(commands, page, colorSize, window);
    new ParagraphCommands(commands, page, window);
    new InsertCommands(commands, page, dialogs, window);
    new TableCommands(commands, page, table, window);
    new TemplateCommands(commands, page, dialogs, window);
    new RewriteCommands(commands, page, dialogs, window);
}

} // namespace AuthoringCommands
