#include "authoring/fragmentinserter.h"

void FragmentInserter::insertFragment()
{
    if (!m_fragment.isEmpty())
        m_editor.replaceSelection(m_fragment);
    m_fragment.clear();
}

void FragmentInserter::insert(const QString &text)
{
    m_fragment = text;
    insertFragment();
}
