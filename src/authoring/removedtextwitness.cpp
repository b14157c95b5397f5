#include "authoring/removedtextwitness.h"

#include <QAccessible>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

RemovedTextWitness::RemovedTextWitness(QWidget &view) : QObject(&view), m_view(view)
{
    if (auto *plain = qobject_cast<QPlainTextEdit *>(&view)) {
        connect(plain, &QPlainTextEdit::textChanged, this, &RemovedTextWitness::refreshSoon);
        connect(plain, &QPlainTextEdit::cursorPositionChanged, this, &RemovedTextWitness::refreshSoon);
        connect(plain, &QPlainTextEdit::selectionChanged, this, &RemovedTextWitness::refreshSoon);
    } else if (auto *rich = qobject_cast<QTextEdit *>(&view)) {
        connect(rich, &QTextEdit::textChanged, this, &RemovedTextWitness::refreshSoon);
        connect(rich, &QTextEdit::cursorPositionChanged, this, &RemovedTextWitness::refreshSoon);
        connect(rich, &QTextEdit::selectionChanged, this, &RemovedTextWitness::refreshSoon);
    }
    refresh();
}

std::optional<QString> RemovedTextWitness::takeRemoved(qsizetype position, qsizetype length)
{
    const bool known =
        m_fresh && m_document == document() && position >= m_start && position + length <= m_start + m_copy.size();
    // Whatever the answer, the copy no longer describes the text once this edit is applied.
    m_fresh = false;
    refreshSoon();
    if (!known)
        return std::nullopt;
    return m_copy.mid(position - m_start, length);
}

// Queued, so the copy is taken once the edit or move in progress is complete: a copy taken in
// the middle of one could already lack what is being removed.
void RemovedTextWitness::refreshSoon()
{
    m_fresh = false;
    // Nobody listens without a reader: no copy is taken.
    if (m_refreshPending || !QAccessible::isActive())
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(this, &RemovedTextWitness::refresh, Qt::QueuedConnection);
}

void RemovedTextWitness::refresh()
{
    m_refreshPending = false;
    QTextDocument *text = document();
    m_document = text;
    if (!text)
        return;
    const QTextCursor caret = cursor();
    // The last position is the document's own closing paragraph mark, never text.
    const int end = std::max(0, text->characterCount() - 1);
    const int from = std::max(0, std::min(caret.selectionStart(), caret.position() - kAroundCaret));
    const int to =
        std::min({end, std::max(caret.selectionEnd(), caret.position() + kAroundCaret), from + kLongestCopy});
    QTextCursor range(text);
    range.setPosition(from);
    range.setPosition(to, QTextCursor::KeepAnchor);
    m_start = from;
    // A line break reads as one, not as the paragraph mark the text keeps between blocks.
    m_copy = range.selectedText().replace(QChar::ParagraphSeparator, u'\n');
    m_fresh = true;
}

QTextCursor RemovedTextWitness::cursor() const
{
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(&m_view))
        return plain->textCursor();
    if (auto *rich = qobject_cast<const QTextEdit *>(&m_view))
        return rich->textCursor();
    return {};
}

QTextDocument *RemovedTextWitness::document() const
{
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(&m_view))
        return plain->document();
    if (auto *rich = qobject_cast<const QTextEdit *>(&m_view))
        return rich->document();
    return nullptr;
}
