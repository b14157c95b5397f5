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
             EditorStack &editor,
             Document &document,
             UserDialogs &dialogs,
             ColorSizeDialog &colorSize,
             TableDialog &table,
             QWidget &window)
{
    new PageCommands(commands, editor, document, dialogs, window);
    new FormatCommands(commands, editor, colorSize, window);
    new ColorCommands(commands, editor, colorSize, window);
    new ParagraphCommands(commands, editor, window);
    new InsertCommands(commands, editor, dialogs, window);
    new TableCommands(commands, editor, table, window);
    new TemplateCommands(commands, editor, dialogs, window);
    new RewriteCommands(commands, editor, dialogs, window);
}

} // namespace AuthoringCommands
