#include "authoring/formatcommands.h"

#include "authoring/alignfragments.h"
#include "authoring/colorsizedialog.h"
#include "authoring/textformatfragments.h"
#include "common/commanddispatcher.h"

#include <QWidget>

FormatCommands::FormatCommands(CommandDispatcher &commands,
                               PageContext &page,
                               ColorSizeDialog &colorSize,
                               QWidget &window)
    : QObject(&window), m_inserter(page), m_colorSize(colorSize)
{
    commands.add(QStringLiteral("Font1Click"), [this](int tag) { formatText(tag); });
    commands.add(QStringLiteral("mnuSetAlignClick"), [this](int tag) { align(tag); });
}

void FormatCommands::formatText(int tag)
{
    const TextFormatFragments::Row *row = TextFormatFragments::row(tag);
    if (!row)
        return;
    const QString selection = m_inserter.selectionText();
    const ColorChoice result = row->dialog ? m_colorSize.ask(*row->dialog) : ColorChoice{};
    m_inserter.insert(TextFormatFragments::build(*row, selection, result));
}

void FormatCommands::align(int tag)
{
    if (const AlignFragments::Row *row = AlignFragments::row(tag))
        m_inserter.insert(AlignFragments::build(*row, m_inserter.selectionText()));
}
