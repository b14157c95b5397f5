#include "app/findrules.h"

namespace FindRules {

int startPosition(int selectionStart, int selectionLength)
{
    return selectionLength > 0 ? selectionStart + selectionLength : 0;
}

std::optional<int> findNext(const QString &text, const QString &needle, int from)
{
    if (from < 0 || from > text.size())
        return std::nullopt;
    const qsizetype found = text.indexOf(needle, from, Qt::CaseInsensitive);
    if (found < 0)
        return std::nullopt;
    return int(found);
}

QPoint dialogPosition(const QRect &mainWindowFrame, int editorWidth)
{
    return {(mainWindowFrame.left() + editorWidth) / 2, (mainWindowFrame.top() + mainWindowFrame.height()) / 2};
}

} // namespace FindRules
