#include "authoring/rewritecommands.h"

#include "authoring/kanawidening.h"
#include "authoring/tagremoval.h"
#include "common/commanddispatcher.h"
#include "common/userdialogs.h"

#include <QWidget>

RewriteCommands::RewriteCommands(CommandDispatcher &commands, PageContext &page, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_inserter(page), m_dialogs(dialogs), m_window(window)
{
    commands.add(QStringLiteral("mnuDelTagClick"), [this](int) { removeTags(); });
    commands.add(QStringLiteral("N27Click"), [this](int) { widenKana(); });
}

void RewriteCommands::removeTags()
{
    // A selection of tags only gives nothing, and the insertion model then leaves it selected.
    m_inserter.insert(TagRemoval::removeTags(m_inserter.selectionText()));
}

void RewriteCommands::widenKana()
{
    const QString selection = m_inserter.selectionText();
    if (selection.isEmpty()) {
        m_dialogs.notify(&m_window, QStringLiteral("全角に変換したい文字列を範囲指定してください。"));
        return;
    }
    const MessageBoxRequest question{
        QStringLiteral("警告"),
        QStringLiteral("指定した範囲内の半角文字列を全角に変換します。\r\n\r\nよろしいですか"),
        DialogIcon::Warning,
        {DialogButton::Yes, DialogButton::No, DialogButton::Cancel},
    };
    const DialogButton answer = m_dialogs.message(&m_window, question);
    if (answer != DialogButton::Yes)
        return;
    m_inserter.insert(KanaWidening::hanToZen(selection));
}
