#pragma once

// The steps the edit lines time, in a window of either kind with its editor focused.

#include "benchbasics.h"

#include <QString>

class QPlainTextEdit;

namespace bench {

class ScreenWindow;

class Typist
{
public:
    Typist(ScreenWindow &screen, QPlainTextEdit &editor) : m_screen(screen), m_editor(editor) {}

    QPlainTextEdit &editor() const { return m_editor; }
    void settle() const;
    void showNow() const;

    // The caret at the start of that paragraph, the paragraph in the middle of the view.
    void putCaretAtBlock(int number) const;

    // A key is timed from its press, delivered as the keyboard delivers it (the shortcut map
    // sees it first, then the editor handles it), until the window shows it.
    Cost typeKey(char key) const;

    // What an input method's plugin sends the focused editor while a word is composed: the
    // converted word as the preedit, at the caret. Not timed; the window shows it after.
    void compose(const QString &preedit) const;
    // Then its commit, timed from the event until the window shows the word as text.
    Cost commit(const QString &text) const;

    void undo() const;

private:
    ScreenWindow &m_screen;
    QPlainTextEdit &m_editor;
};

} // namespace bench
