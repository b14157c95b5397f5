#include "workspace/compositionshown.h"

#include <QInputMethodEvent>
#include <QTextCursor>

namespace {

// Events reach the views on the window's thread only, one at a time.
thread_local const QTextDocument *t_showing = nullptr;

bool composesOnly(const QInputMethodEvent &event, const QTextCursor &caret)
{
    return event.commitString().isEmpty() && event.replacementLength() == 0 && !caret.hasSelection();
}

} // namespace

CompositionShown::CompositionShown(const QTextDocument &text, const QInputMethodEvent &event, const QTextCursor &caret)
    : m_previous(t_showing)
{
    if (composesOnly(event, caret))
        t_showing = &text;
}

CompositionShown::~CompositionShown()
{
    t_showing = m_previous;
}

bool CompositionShown::isShowing(const QTextDocument &text)
{
    return t_showing == &text;
}
