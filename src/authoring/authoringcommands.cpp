#include "authoring/authoringcommands.h"

#include "authoring/colorcommands.h"
#include "authoring/formatcommands.h"
#include "authoring/insertcommands.h"
#include "authoring/pagecommands.h"
#include "authoring/paragraphcommands.h"
#include "authoring/rewritecommands.h"
#include "authoring/tablecommands.h"
#include "authoring/templatecommands.h"
#include "common/mainstate.h"

#include <QWidget>

namespace AuthoringCommands {

void install(CommandDispatcher &commands,
             EditorStack &editor,
             MainState &state,
             UserDialogs &dialogs,
             ColorSizeDialog &colorSize,
             TableDialog &table,
             QWidget &window,
             std::function<void()> documentReset)
{
    new PageCommands(commands, editor, state, dialogs, window, std::move(documentReset));
    new FormatCommands(commands, editor, state.fragment, colorSize, window);
    new ColorCommands(commands, editor, state.fragment, colorSize, window);
    new ParagraphCommands(commands, editor, state.fragment, window);
    new InsertCommands(commands, editor, state.fragment, dialogs, window);
    new TableCommands(commands, editor, state.fragment, table, window);
    new TemplateCommands(commands, editor, state.fragment, dialogs, window);
    new RewriteCommands(commands, editor, state.fragment, dialogs, window);
}

} // namespace AuthoringCommands
