#include "authoring/paragraphcommands.h"

#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "authoring/paragraphfragments.h"
#include "common/commanddispatcher.h"

#include <QTextBlockFormat>
#include <QTextCursor>

namespace {

// RichEdit indents in steps of 10 points; the pane lays out in pixels of its screen.
constexpr qreal kIndentStepPoints = 10.0;
constexpr qreal kPointsPerInch = 72.0;

} // namespace

ParagraphCommands::ParagraphCommands(CommandDispatcher &commands, PageContext &page, QWidget &window)
    : QObject(&window), m_page(page), m_inserter(page)
{
    commands.add(QStringLiteral("mnuKaigyoClick"), [this](int tag) { insertParagraph(tag); });
    commands.add(QStringLiteral("mnuIndentClick"), [this](int) { indentFirstLine(); });
    commands.add(QStringLiteral("mnuCancelClick"), [this](int) { cancelIndent(); });
}

void ParagraphCommands::insertParagraph(int tag)
{
    if (const ParagraphFragments::Row *row = ParagraphFragments::row(tag))
        m_inserter.insert(ParagraphFragments::build(*row, m_inserter.selectionText()));
}

void ParagraphCommands::setFirstLineIndent(bool increase)
{
    QTextCursor cursor = m_page.editor().textCursor();
    qreal indent = 0;
    if (increase) {
        // The value the pane reports for a selection is that of its first paragraph.
        const qreal step = kIndentStepPoints * m_page.editor().logicalDpiX() / kPointsPerInch;
        QTextCursor first(m_page.editor().document());
        first.setPosition(cursor.selectionStart());
        indent = first.blockFormat().textIndent() + step;
    }
    QTextBlockFormat format;
    format.setTextIndent(indent);
    cursor.mergeBlockFormat(format);
}

void ParagraphCommands::indentFirstLine()
{
    setFirstLineIndent(true);
}

void ParagraphCommands::cancelIndent()
{
    setFirstLineIndent(false);
}
