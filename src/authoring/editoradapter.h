#pragma once

#include <QString>

class QTextEdit;

// The view of the editing pane that the commands work with. QTextEdit keeps paragraphs apart
// with U+2029 and counts one position per line break; the commands think in document text with
// CR LF line ends. This adapter converts both ways, so a position a command computes on the
// text it read lands in the same place in the pane.
class EditorAdapter
{
public:
    explicit EditorAdapter(QTextEdit &editor) : m_editor(editor) {}

    QTextEdit &editor() const { return m_editor; }

    bool hasSelection() const;
    QString selectedText() const;                 // CR LF line ends
    // Replaces the selection (or inserts at the caret) with text holding CR LF line ends,
    // leaves the caret after it and nothing selected, and marks the document modified. It makes
    // no undo record, and the undo history before it is dropped: Undo must never replay older
    // edits at positions the insertion has shifted.
    void replaceSelection(const QString &text);

    QString text() const;                         // the whole text, CR LF line ends
    void setText(const QString &text);            // replaces everything as plain text

    int caretPosition() const;                    // in CR LF text
    void setCaret(int position);                  // a bare caret at a CR LF text position
    // Selects length characters of the CR LF text from start; the caret ends at the far end.
    void setSelection(int start, int length);

    bool isModified() const;
    void setModified(bool modified);

    // Line-end conversions between document text and the pane's text.
    static QString toPaneText(const QString &crlfText);
    static QString toDocumentText(const QString &paneText);
    // Maps positions between the two, counting CR LF as two in document text.
    static int paneToDocumentPosition(const QString &paneText, int panePosition);
    static int documentToPanePosition(const QString &crlfText, int documentPosition);

private:
    QTextEdit &m_editor;
};
