#pragma once

#include "authoring/editoradapter.h"

#include <QString>

class EditorStack;

// The insertion model every authoring command shares: the command builds its text and hands it
// to insert(), which puts it in place of the selection. Refers to the pane; owns nothing.
class FragmentInserter
{
public:
    explicit FragmentInserter(EditorStack &editor) : m_editor(editor) {}

    EditorAdapter &editor() { return m_editor; }

    // The selected text with CR LF line ends; empty when nothing is selected.
    QString selectionText() const { return m_editor.selectedText(); }

    // Replaces the selection by text (caret after it, nothing selected, one undo step). An empty
    // text leaves the pane exactly as it was, selection included.
    void insert(const QString &text);

private:
    EditorAdapter m_editor;
};
