#pragma once

#include "app/replacerules.h"

#include <QObject>

#include <functional>

class CommandDispatcher;
class PageContext;
class QTextDocument;
class QWidget;
class ReplaceDialog;

// 置換: opens the non-modal replace dialog beside the find dialog, preloaded with a selection on
// one line, and runs its buttons on the page in front at the time each is pressed. Searches go on
// from the selection and round from the top once; すべて置換 is one undo step. Each outcome is
// told in status panel 0 and in the dialog. Owns the dialog, which keeps its texts for the run.
class ReplaceCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplaceCommands)

public:
    using Say = std::function<void(const QString &)>;

    // window: the dialogs' parent and where they stand; becomes the parent. findDialog: the
    // dialog this one opens beside.
    ReplaceCommands(
        CommandDispatcher &commands, PageContext &current, const QWidget &findDialog, Say status, QWidget &window);

    ReplaceDialog &dialog() const { return *m_dialog; }

    void showReplace(); // mnuReplaceClick
    void findNext();
    void replaceOne();
    void replaceAll();

private:
    std::optional<ReplaceRules::Pattern> pattern();
    void selectNext(const ReplaceRules::Pattern &pattern, const QString &text, ReplaceRules::Range from);
    void select(ReplaceRules::Range range);
    void say(const QString &text);

    PageContext &m_current;
    const QWidget &m_findDialog;
    Say m_status;
    QWidget &m_window;
    ReplaceDialog *m_dialog;
    // Where the dialog last selected an empty match: a bare caret there is a match 置換 may fill,
    // anywhere else it is only the caret.
    const QTextDocument *m_emptyMatchDocument = nullptr;
    int m_emptyMatchAt = -1;
};
