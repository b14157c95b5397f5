#pragma once

#include "authoring/fragmentinserter.h"

#include <QObject>

class CommandDispatcher;
class PageContext;
class QWidget;

// The 段落 menu: line breaks, paragraphs, lists and quotes around the selection, and the
// first-line indent of the selected paragraphs in steps of ten points. Owns its insertion
// model; refers to the page in front.
class ParagraphCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ParagraphCommands)

public:
    // Becomes a child of window.
    ParagraphCommands(CommandDispatcher &commands, PageContext &page, QWidget &window);

    void insertParagraph(int tag); // mnuKaigyoClick
    void indentFirstLine();        // mnuIndentClick
    void cancelIndent();           // mnuCancelClick

private:
    void setFirstLineIndent(bool increase);

    PageContext &m_page;
    FragmentInserter m_inserter;
};
