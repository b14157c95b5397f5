#include "authoring/fragmentinserter.h"

#include "authoring/pagecontext.h"

EditorAdapter FragmentInserter::editor() const
{
    return EditorAdapter(m_page.editor());
}

void FragmentInserter::insert(const QString &text)
{
    if (!text.isEmpty())
        editor().replaceSelection(text);
}
