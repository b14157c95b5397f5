#include "typist.h"

#include "benchwindow.h"

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

namespace bench {

namespace {

// The input method's events go where its plugin sends them: the window's focus object.
void sendToFocus(QPlainTextEdit &editor, QInputMethodEvent &event)
{
    if (QGuiApplication::focusObject() != &editor)
        fail("the editor does not have the keyboard");
    QCoreApplication::sendEvent(&editor, &event);
}

} // namespace

void Typist::settle() const
{
    ScreenWindow::settle(m_editor);
}

void Typist::showNow() const
{
    m_screen.showNow(m_editor);
}

void Typist::putCaretAtBlock(int number) const
{
    m_editor.setTextCursor(QTextCursor(m_editor.document()->findBlockByNumber(number)));
    m_editor.centerCursor();
    settle();
}

Cost Typist::typeKey(char key) const
{
    const Stopwatch watch;
    QTest::keyPress(&m_editor, key);
    showNow();
    return watch.read();
}

void Typist::compose(const QString &preedit) const
{
    // Mozc underlines the word it converted, as every input method marks its composition.
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    QInputMethodEvent event(preedit,
                            {{QInputMethodEvent::TextFormat, 0, int(preedit.size()), underline},
                             {QInputMethodEvent::Cursor, int(preedit.size()), 1, {}}});
    sendToFocus(m_editor, event);
    showNow();
    settle();
}

Cost Typist::commit(const QString &text) const
{
    const Stopwatch watch;
    QInputMethodEvent event;
    event.setCommitString(text);
    sendToFocus(m_editor, event);
    showNow();
    return watch.read();
}

void Typist::undo() const
{
    m_editor.undo();
    settle();
}

} // namespace bench
