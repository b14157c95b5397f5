#pragma once

#include <QString>

class EditorStack;

// The view of the editing pane that the commands work with: document text with CR LF line ends
// and positions in it, converted by PaneText to and from what the pane holds.
class EditorAdapter
{
public:
    explicit EditorAdapter(EditorStack &editor) : m_editor(editor) {}

    EditorStack &editor() const { return m_editor; }

    bool hasSelection() const;
    QString selectedText() const; // CR LF line ends
    // Replaces the selection (or inserts at the caret) with text holding CR LF line ends,
    // leaves the caret after it and nothing selected, and marks the document modified. The
    // replacement is one undo step; the history before it is kept.
    void replaceSelection(const QString &text);

    QString text() const;       // the whole text, CR LF line ends
    void setText(QString text); // replaces everything as plain text

    int caretPosition() const;   // in CR LF text
    void setCaret(int position); // a bare caret at a CR LF text position
    // Selects length characters of the CR LF text from start; the caret ends at the far end.
    void setSelection(int start, int length);

    bool isModified() const;
    void setModified(bool modified);

private:
    EditorStack &m_editor;
};
