#include "authoring/fragmentinserter.h"

void FragmentInserter::insert(const QString &text)
{
    if (!text.isEmpty())
        m_editor.replaceSelection(text);
}
