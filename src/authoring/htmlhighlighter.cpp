#include "authoring/htmlhighlighter.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace {

using Kind = HtmlTokenizer::Kind;
using State = HtmlTokenizer::State;
using FormatRange = QTextLayout::FormatRange;

// A block's state: the tokenizer state it was read from and the one it ended in, whether the
// colours of that reading are in its layout, and whether its layout holds colours of ours at all
// (current or not: they are taken away again). -1 (Qt's start value) is a block never read, with
// no colours.
constexpr int kExitBits = 8;
constexpr int kStateMask = (1 << kExitBits) - 1;
constexpr int kUncoloured = 1 << (2 * kExitBits);
constexpr int kPainted = kUncoloured << 1;

int packed(State entry, State exit)
{
    return exit.toInt() | (entry.toInt() << kExitBits);
}

State entryOf(int blockState)
{
    return State::fromInt((blockState >> kExitBits) & kStateMask);
}

State exitOf(int blockState)
{
    return State::fromInt(blockState & kStateMask);
}

bool isColoured(int blockState)
{
    return blockState >= 0 && (blockState & kUncoloured) == 0;
}

bool isPainted(int blockState)
{
    return blockState >= 0 && (blockState & kPainted) != 0;
}

// An idle step gives the event loop back well within a frame.
constexpr qint64 kIdleStepNs = 4'000'000;

struct Palette
{
    Kind kind;
    QRgb onLight;
    QRgb onDark;
};

constexpr Palette kPalette[] = {
    {Kind::Tag, 0x1f4fa8, 0x7fb4ff},
    {Kind::AttributeName, 0x9a4a00, 0xffb86c},
    {Kind::AttributeValue, 0x1c7a2c, 0x8fe39a},
    {Kind::Comment, 0x6e6e6e, 0xa8a8a8},
    {Kind::CharacterReference, 0x9b1f8c, 0xff95e6},
    {Kind::Doctype, 0x7a5a00, 0xe8c65e},
    {Kind::Script, 0x006779, 0x6fd6e8},
    {Kind::Style, 0x6a2ea0, 0xcaa4ff},
};

} // namespace

HtmlHighlighter::HtmlHighlighter(QTextDocument *document) : QObject(document), m_document(document)
{
    setBackground(Qt::white);
    m_idleStep.setSingleShot(true);
    m_idleStep.setInterval(0);
    connect(&m_idleStep, &QTimer::timeout, this, &HtmlHighlighter::continueCheck);
    connect(document, &QTextDocument::contentsChange, this, &HtmlHighlighter::followChange);
    // A page already there (colours switched on again) is read in idle steps and coloured where
    // it is shown, like a page just opened.
    if (!document->isEmpty())
        markStale(document->firstBlock());
}

HtmlHighlighter::~HtmlHighlighter()
{
    // Gone with the document: there is nothing left to take the colours from.
    if (!m_document)
        return;
    int from = -1;
    int to = -1;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        if (isPainted(block.userState())) {
            applyColours(block, {}, false);
            from = from < 0 ? block.position() : from;
            to = block.position() + block.length();
        }
        // A highlighter made later reads the page afresh.
        block.setUserState(-1);
    }
    if (from >= 0)
        relayOut(from, to - from);
}

void HtmlHighlighter::setBackground(const QColor &background)
{
    const bool dark = background.lightness() < 128;
    if (m_dark && *m_dark == dark)
        return;
    const bool hadColours = m_dark.has_value();
    m_dark = dark;
    for (const Palette &row : kPalette)
        m_formats[size_t(row.kind)].setForeground(QColor(dark ? row.onDark : row.onLight));
    if (hadColours)
        rehighlight();
}

QColor HtmlHighlighter::colorOf(Kind kind) const
{
    return m_formats[size_t(kind)].foreground().color();
}

void HtmlHighlighter::rehighlight()
{
    // The states stay (they do not depend on the colours); every colour is taken as stale, those
    // on screen are put right at once and the others when they are shown.
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        const int state = block.userState();
        if (state >= 0)
            block.setUserState(state | kUncoloured);
    }
    if (m_viewLast >= m_viewFirst)
        showBlocks(m_viewFirst, m_viewLast);
}

bool HtmlHighlighter::inView(const QTextBlock &block) const
{
    const int number = block.blockNumber();
    return number >= m_viewFirst && number <= m_viewLast;
}

void HtmlHighlighter::followChange(int position, int removed, int added)
{
    Q_UNUSED(removed)
    // Some Qt versions report the relayout that colours ask for as a change of the contents.
    if (m_applying)
        return;
    QTextDocument &document = *m_document;
    if (!m_stale.isNull() && position <= m_stale.position())
        m_carriedValid = false;
    if (position == 0 && added >= document.characterCount() - 1) {
        // The whole text replaced (a page opened): the blocks are new and never read, and those
        // on screen are coloured when they are painted; the idle check reads the others. Only the
        // first and the last block can be old ones, with colours of the text that went.
        forget(document.firstBlock());
        forget(document.lastBlock());
        markStale(document.firstBlock());
        return;
    }
    // The blocks whose text changed, then those after them that now start in another state, as
    // long as they are on screen; the first one off screen is left to the idle check.
    const int changeEnd = document.findBlock(position + added).position();
    std::optional<State> carried; // the state entering the block, when known
    ChangedSpan recoloured;
    for (QTextBlock block = document.findBlock(position); block.isValid(); block = block.next()) {
        const bool changed = block.position() <= changeEnd;
        const int state = block.userState();
        if (!changed && (!carried || (state >= 0 && entryOf(state) == *carried)))
            break;
        if (inView(block)) {
            carried = colour(block, carried ? *carried : entryStateOf(block), &recoloured);
        } else if (changed) {
            // Its colours would stand on the wrong characters; the idle check reads it again.
            forget(block);
            markStale(block);
            carried.reset();
        } else {
            markStale(block, carried);
            break;
        }
    }
    relayOut(recoloured);
}

State HtmlHighlighter::colour(const QTextBlock &block, State entry, ChangedSpan *span)
{
    const HtmlTokenizer::Result result = HtmlTokenizer::tokenize(block.text(), entry);
    QList<FormatRange> colours;
    for (const HtmlTokenizer::Span &span : result.spans) {
        if (span.kind != Kind::Text)
            colours.append({span.start, span.length, m_formats[size_t(span.kind)]});
    }
    if (applyColours(block, colours, span == nullptr) && span)
        span->add(block);
    QTextBlock(block).setUserState(packed(entry, result.end) | (colours.isEmpty() ? 0 : kPainted));
    return result.end;
}

void HtmlHighlighter::forget(const QTextBlock &block)
{
    if (isPainted(block.userState()))
        applyColours(block, {}, true);
    QTextBlock(block).setUserState(-1);
}

bool HtmlHighlighter::applyColours(const QTextBlock &block,
                                   const QList<QTextLayout::FormatRange> &colours,
                                   bool relayOutNow)
{
    // The word the input method is composing is in the layout, not in the text, with formats of
    // its own (its underline): they stay, the colours after it move along, and a colour around
    // it (an attribute value it is typed into) stops before it and goes on after it, so the word
    // shows as the input method marks it, whole.
    QTextLayout &layout = *block.layout();
    const QList<FormatRange> before = layout.formats();
    const int composedAt = layout.preeditAreaPosition();
    const int composedLength = int(layout.preeditAreaText().size());
    QList<FormatRange> ranges;
    if (composedLength > 0) {
        for (const FormatRange &range : before) {
            if (range.start >= composedAt && range.start + range.length <= composedAt + composedLength)
                ranges.append(range);
        }
    }
    for (FormatRange range : colours) {
        const int end = range.start + range.length;
        if (composedLength == 0 || end <= composedAt) {
            ranges.append(range);
        } else if (range.start >= composedAt) {
            range.start += composedLength;
            ranges.append(range);
        } else {
            FormatRange after = range;
            after.start = composedAt + composedLength;
            after.length = end - composedAt;
            range.length = composedAt - range.start;
            ranges.append(range);
            ranges.append(after);
        }
    }
    if (ranges == before)
        return false;
    layout.setFormats(ranges);
    if (relayOutNow)
        relayOut(block.position(), block.length());
    return true;
}

void HtmlHighlighter::ChangedSpan::add(const QTextBlock &block)
{
    from = from < 0 ? block.position() : std::min(from, block.position());
    to = std::max(to, block.position() + block.length());
}

void HtmlHighlighter::relayOut(const ChangedSpan &span)
{
    if (span.from >= 0)
        relayOut(span.from, span.to - span.from);
}

void HtmlHighlighter::relayOut(int position, int length)
{
    // Setting a layout's formats notes its block as changed for the document's next report of a
    // change; asking for its relayout now makes the layout take the note instead, so that the
    // next edit is reported as itself and nothing else.
    m_applying = true;
    m_document->markContentsDirty(position, length);
    m_applying = false;
}

void HtmlHighlighter::markStale(const QTextBlock &block, std::optional<State> entry)
{
    if (m_stale.isNull() || block.position() < m_stale.position()) {
        m_stale = QTextCursor(block);
        m_carriedValid = entry.has_value();
        m_carried = entry.value_or(State());
    }
    if (!m_idleStep.isActive())
        m_idleStep.start();
}

State HtmlHighlighter::entryStateOf(const QTextBlock &block)
{
    // Blocks never read since the page was loaded are read now (without colours), back to the
    // nearest one whose state is known, and keep their states so the next look is quick.
    std::vector<QTextBlock> unknown;
    QTextBlock previous = block.previous();
    while (previous.isValid() && previous.userState() < 0) {
        unknown.push_back(previous);
        previous = previous.previous();
    }
    State state = previous.isValid() ? exitOf(previous.userState()) : State();
    for (auto it = unknown.rbegin(); it != unknown.rend(); ++it) {
        const State exit = HtmlTokenizer::tokenize(it->text(), state, false).end;
        it->setUserState(packed(state, exit) | kUncoloured);
        state = exit;
    }
    return state;
}

void HtmlHighlighter::continueCheck()
{
    if (!checkUntil(kIdleStepNs, -1))
        m_idleStep.start();
}

bool HtmlHighlighter::checkUntil(qint64 deadlineNs, int lastBlock)
{
    if (m_stale.isNull())
        return true;
    QElapsedTimer clock;
    clock.start();
    QTextBlock block = m_document->findBlock(m_stale.position());
    State carried = m_carriedValid ? m_carried : entryStateOf(block);
    int checked = 0;
    while (block.isValid() && (lastBlock < 0 || block.blockNumber() <= lastBlock)) {
        // Looking at the clock costs more than reading a short line.
        if (deadlineNs > 0 && ++checked % 64 == 0 && clock.nsecsElapsed() > deadlineNs)
            break;
        const int state = block.userState();
        if (state >= 0 && entryOf(state) == carried) {
            carried = exitOf(state);
        } else if (isColoured(state)) {
            // Shown before and likely to be shown again: coloured off screen.
            carried = colour(block, carried);
        } else {
            // Read only; colours it may still hold are stale and put right when it is shown.
            const State exit = HtmlTokenizer::tokenize(block.text(), carried, false).end;
            block.setUserState(packed(carried, exit) | kUncoloured | (isPainted(state) ? kPainted : 0));
            carried = exit;
        }
        block = block.next();
    }
    if (!block.isValid()) {
        m_stale = QTextCursor();
        return true;
    }
    m_stale = QTextCursor(block);
    m_carried = carried;
    m_carriedValid = true;
    return false;
}

void HtmlHighlighter::showBlocks(int first, int last)
{
    m_viewFirst = first;
    m_viewLast = last;
    if (!m_stale.isNull() && m_document->findBlock(m_stale.position()).blockNumber() <= last)
        checkUntil(0, last);
    ChangedSpan shown;
    for (QTextBlock block = m_document->findBlockByNumber(first); block.isValid() && block.blockNumber() <= last;
         block = block.next()) {
        const int state = block.userState();
        const State entry = entryStateOf(block);
        if (!isColoured(state) || entryOf(state) != entry)
            colour(block, entry, &shown);
    }
    relayOut(shown);
    if (!m_stale.isNull() && !m_idleStep.isActive())
        m_idleStep.start();
}

void HtmlHighlighter::finishPendingWork()
{
    checkUntil(0, -1);
}
