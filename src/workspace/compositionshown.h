#pragma once

class QInputMethodEvent;
class QTextCursor;
class QTextDocument;

// An input method's composition (its preedit) is laid out inside the text's blocks, so Qt
// reports each of its keys as a change of the text although no character of it changed. A view
// holds one of these while it shows such an event, and the page does not count it as an edit.
class CompositionShown final
{
public:
    // Marks the text only when the event changes the composition alone: it commits nothing, and
    // the view's caret holds no selection that a new composition would take away.
    CompositionShown(const QTextDocument &text, const QInputMethodEvent &event, const QTextCursor &caret);
    ~CompositionShown();
    CompositionShown(const CompositionShown &) = delete;
    CompositionShown &operator=(const CompositionShown &) = delete;

    // Whether a view is showing a composition in this text right now.
    static bool isShowing(const QTextDocument &text);

private:
    const QTextDocument *m_previous;
};
