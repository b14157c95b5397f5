#pragma once

#include "authoring/editoradapter.h"

#include <QString>

class EditorStack;

// The insertion model every authoring command shares: the command builds its text in the
// shared Fragment, and insertFragment() puts it in place of the selection and empties it.
// Holds references to the shared Fragment and the pane; owns neither.
class FragmentInserter
{
public:
    FragmentInserter(QString &fragment, EditorStack &editor) : m_fragment(fragment), m_editor(editor) {}

    EditorAdapter &editor() { return m_editor; }
    QString &fragment() { return m_fragment; }

    // The selected text with CR LF line ends; empty when nothing is selected.
    QString selectionText() const { return m_editor.selectedText(); }

    // Replaces the selection by Fragment (caret after it, nothing selected, one undo step) and
    // empties Fragment. An empty Fragment leaves the pane exactly as it was, selection included.
    void insertFragment();

    // Sets Fragment to text and inserts it.
    void insert(const QString &text);

private:
    QString &m_fragment;
    EditorAdapter m_editor;
};
