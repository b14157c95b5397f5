#pragma once

#include "authoring/fragmentinserter.h"

#include <QObject>

class CommandDispatcher;
class PageContext;
class QWidget;
class UserDialogs;

// The 挿入 menu: a file's name relative to the current folder, images, links and the
// horizontal rule. Owns its insertion model; refers to the rest.
class InsertCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InsertCommands)

public:
    // window: the parent of the file dialog; becomes the parent.
    InsertCommands(CommandDispatcher &commands, PageContext &page, UserDialogs &dialogs, QWidget &window);

    void insertFileName();     // mnuFileClick
    void insertImage(int tag); // mnuGrp1Click
    void insertLink(int tag);  // URL1Click
    void insertRule();         // mnuHRClick

private:
    FragmentInserter m_inserter;
    UserDialogs &m_dialogs;
    QWidget &m_window;
};
