#pragma once

#include "authoring/htmltokenizer.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTimer>

#include <array>
#include <optional>

// Colours the markup of an HTML page in a document, for display only (the formats live in the
// blocks' layouts, never in the text). Only the blocks near the view are coloured as the text
// changes: a change whose effect runs on past them (typing "<!--" near the top of a long page)
// is finished in short steps while the program is idle, and blocks never coloured yet are
// coloured when they come into view. Each block keeps the tokenizer's state it was coloured
// from and the state it ended in, so a stale block is recognised by a mismatch.
class HtmlHighlighter final : public QSyntaxHighlighter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HtmlHighlighter)

public:
    explicit HtmlHighlighter(QTextDocument *document);

    // Colours readable on this background: dark text colours on a light one, light on a dark one.
    void setBackground(const QColor &background);
    QColor colorOf(HtmlTokenizer::Kind kind) const;

    // The blocks on screen (block numbers, inclusive) are coloured now, before they are painted;
    // changes that reach beyond them are left to the idle steps.
    void showBlocks(int first, int last);

    // Whether changes are still waiting to be finished in idle steps.
    bool hasPendingWork() const { return !m_stale.isNull(); }
    // Finishes them at once (for callers that need the whole page coloured).
    void finishPendingWork();

protected:
    void highlightBlock(const QString &text) override;

private:
    bool mayColour(int blockNumber) const;
    void keepAsItWas(const QTextBlock &block);
    void noteSkipped(const QTextBlock &block);
    void markStale(const QTextBlock &block);
    void continueCheck();
    // Checks stale blocks in order until the deadline (0: none) or past block lastBlock (-1: the
    // end); true when none is left.
    bool checkUntil(qint64 deadlineNs, int lastBlock);
    HtmlTokenizer::State entryStateOf(const QTextBlock &block);
    void noteChange(int position, int removed, int added);
    void endChange();

    std::array<QTextCharFormat, 9> m_formats;
    std::optional<bool> m_dark; // the palette in use: for a dark background or a light one
    int m_viewFirst = 0;
    int m_viewLast = -1;
    int m_forcedBlock = -1; // a block coloured out of view by the idle check
    bool m_checking = false;
    // The first block that may be stale; null when none. A cursor, so it moves with edits.
    QTextCursor m_stale;
    HtmlTokenizer::State m_carried; // the state entering m_stale's block, when m_carriedValid
    bool m_carriedValid = false;
    // The characters of the change being coloured, recorded before the base class colours it.
    int m_changeFrom = -1;
    int m_changeEnd = -1;
    bool m_wholeText = false;
    bool m_staleMarkedInChange = false;
    bool m_baseDetached = false; // the base class is not following the change under way
    QTimer m_idleStep;
};
