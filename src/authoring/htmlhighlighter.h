#pragma once

#include "authoring/htmltokenizer.h"

#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

#include <array>
#include <optional>

class QTextBlock;
class QTextDocument;

// Colours the markup of an HTML page in a document, for display only: the colours are formats of
// the blocks' layouts, never of the text, so they reach neither the undo history nor the modified
// flag nor a file. It follows the document's own report of each change and colours only the
// blocks near the view: a change whose effect runs on past them (typing "<!--" near the top of a
// long page) is finished in short steps while the program is idle, blocks never coloured yet are
// coloured when they come into view, and replacing the whole text (opening a page) costs no work
// per block. Each block keeps the tokenizer's state it was coloured from and the state it ended
// in, so a stale block is recognised by a mismatch.
class HtmlHighlighter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HtmlHighlighter)

public:
    explicit HtmlHighlighter(QTextDocument *document);
    // Takes its colours away again.
    ~HtmlHighlighter() override;

    QTextDocument *document() const { return m_document; }

    // Colours readable on this background: dark text colours on a light one, light on a dark one.
    void setBackground(const QColor &background);
    QColor colorOf(HtmlTokenizer::Kind kind) const;

    // The blocks on screen (block numbers, inclusive) are coloured now, before they are painted;
    // changes that reach beyond them are left to the idle steps.
    void showBlocks(int first, int last);
    // Colours the page afresh: what is shown at once, the rest when it is shown.
    void rehighlight();

    // Whether changes are still waiting to be finished in idle steps.
    bool hasPendingWork() const { return !m_stale.isNull(); }
    // Finishes them at once (for callers that need the whole page coloured).
    void finishPendingWork();

private:
    void followChange(int position, int removed, int added);
    bool inView(const QTextBlock &block) const;
    // The span of the blocks whose colours one pass changed, laid out again together: one
    // relayout for the screenful that "<!--" recolours instead of one per line.
    struct ChangedSpan
    {
        int from = -1;
        int to = -1;
        void add(const QTextBlock &block);
    };
    // Colours one block read from the entry state; returns the state it ends in. With a span,
    // the block is noted there for the caller to lay out; without, it is laid out at once.
    HtmlTokenizer::State colour(const QTextBlock &block, HtmlTokenizer::State entry, ChangedSpan *span = nullptr);
    void relayOut(const ChangedSpan &span);
    // The block's text changed where it is not shown: its colours go, and its states.
    void forget(const QTextBlock &block);
    // Puts these colours into the block's layout (nothing when they are there already) and, when
    // relayOutNow, has the block laid out and painted again; true when they changed.
    bool applyColours(const QTextBlock &block, const QList<QTextLayout::FormatRange> &colours, bool relayOutNow);
    void relayOut(int position, int length);
    // entry: the state entering the block, when known.
    void markStale(const QTextBlock &block, std::optional<HtmlTokenizer::State> entry = {});
    void continueCheck();
    // Checks stale blocks in order until the deadline (0: none) or past block lastBlock (-1: the
    // end); true when none is left.
    bool checkUntil(qint64 deadlineNs, int lastBlock);
    HtmlTokenizer::State entryStateOf(const QTextBlock &block);

    QPointer<QTextDocument> m_document;
    std::array<QTextCharFormat, 9> m_formats;
    std::optional<bool> m_dark; // the palette in use: for a dark background or a light one
    int m_viewFirst = 0;
    int m_viewLast = -1;
    bool m_applying = false; // a block coloured is being laid out again
    // The first block that may be stale; null when none. A cursor, so it moves with edits.
    QTextCursor m_stale;
    HtmlTokenizer::State m_carried; // the state entering m_stale's block, when m_carriedValid
    bool m_carriedValid = false;
    QTimer m_idleStep;
};
