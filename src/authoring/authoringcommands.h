#pragma once

class ColorSizeDialog;
class CommandDispatcher;
class PageContext;
class QWidget;
class TableDialog;
class UserDialogs;

// The authoring commands: one small controller per menu family (the page skeleton, text
// format and alignment, colours, paragraphs, insertions, tables, templates, the two rewrites of
// the selection), each building its text with the
// fragment builders and putting it into the pane through the insertion model. A new family is
// one more controller created here.
namespace AuthoringCommands {

// Creates every family as a child of window; each registers its handlers with commands.
void install(CommandDispatcher &commands,
             PageContext &page,
             UserDialogs &dialogs,
             ColorSizeDialog &colorSize,
             TableDialog &table,
             QWidget &window);

} // namespace AuthoringCommands
