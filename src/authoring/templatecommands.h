#pragma once

#include "authoring/fragmentinserter.h"
#include "authoring/templatefragments.h"

#include <QObject>

class CommandDispatcher;
class PageContext;
class QWidget;
class UserDialogs;

// The ｽﾀｲﾙｼｰﾄ, スクリプト and フォーム menus: a template goes before the document's "</head>"
// or in place of the selection, as its row says. A head template in a text without "</head>"
// is refused with a message, so a block never lands at an undefined place. Owns its insertion
// model; refers to the rest.
class TemplateCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateCommands)

public:
    // window: the parent of the message; becomes the parent.
    TemplateCommands(CommandDispatcher &commands, PageContext &page, UserDialogs &dialogs, QWidget &window);

    void insert(const TemplateFragments::Row *row); // nothing for a tag without a row

private:
    FragmentInserter m_inserter;
    UserDialogs &m_dialogs;
    QWidget &m_window;
};
