#include "authoring/templatecommands.h"

#include "common/commanddispatcher.h"
#include "common/userdialogs.h"

#include <QWidget>

TemplateCommands::TemplateCommands(CommandDispatcher &commands,
                                   PageContext &page,
                                   UserDialogs &dialogs,
                                   QWidget &window)
    : QObject(&window), m_inserter(page), m_dialogs(dialogs), m_window(window)
{
    using namespace TemplateFragments;
    commands.add(QStringLiteral("mnuStyleClick"), [this](int tag) { insert(styleRow(tag)); });
    commands.add(QStringLiteral("JAVA1Click"), [this](int tag) { insert(scriptRow(tag)); });
    commands.add(QStringLiteral("mnuFormClick"), [this](int tag) { insert(formRow(tag)); });
}

void TemplateCommands::insert(const TemplateFragments::Row *row)
{
    if (!row)
        return;
    if (row->placement == TemplateFragments::Placement::Head) {
        EditorAdapter editor = m_inserter.editor();
        const qsizetype at = TemplateFragments::headInsertionPoint(editor.text());
        if (at < 0) {
            m_dialogs.notify(&m_window, TemplateFragments::missingHeadMessage());
            return;
        }
        editor.setCaret(int(at));
    }
    m_inserter.insert(TemplateFragments::text(*row));
}
