#pragma once

#include "authoring/fragmentinserter.h"

#include <QObject>

class CommandDispatcher;
class PageContext;
class QWidget;
class UserDialogs;

// The two commands that rewrite the selection instead of adding to it: タグ消去 strips its
// tags, 半角カナを全角カナに widens its half-width katakana after asking. Owns its insertion
// model; refers to the rest.
class RewriteCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RewriteCommands)

public:
    // window: the parent of the questions; becomes the parent.
    RewriteCommands(CommandDispatcher &commands, PageContext &page, UserDialogs &dialogs, QWidget &window);

    void removeTags(); // mnuDelTagClick
    void widenKana();  // N27Click

private:
    FragmentInserter m_inserter;
    UserDialogs &m_dialogs;
    QWidget &m_window;
};
