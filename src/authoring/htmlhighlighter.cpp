#include "authoring/htmlhighlighter.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <vector>

namespace {

using Kind = HtmlTokenizer::Kind;
using State = HtmlTokenizer::State;

// A block's state: the tokenizer state it was read from and the one it ended in, and whether
// its colours are in its layout. -1 (Qt's start value) is a block never read.
constexpr int kExitBits = 8;
constexpr int kStateMask = (1 << kExitBits) - 1;
constexpr int kUncoloured = 1 << (2 * kExitBits);

int packed(State entry, State exit, bool coloured)
{
    return exit.toInt() | (entry.toInt() << kExitBits) | (coloured ? 0 : kUncoloured);
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

HtmlHighlighter::HtmlHighlighter(QTextDocument *document) : QSyntaxHighlighter(static_cast<QObject *>(document))
{
    // Connected before the base class is given the document, so that a change's extent is known
    // when the base class asks for its blocks.
    connect(document, &QTextDocument::contentsChange, this, &HtmlHighlighter::noteChange);
    connect(document, &QTextDocument::contentsChanged, this, &HtmlHighlighter::endChange);
    setBackground(Qt::white);
    m_idleStep.setSingleShot(true);
    m_idleStep.setInterval(0);
    connect(&m_idleStep, &QTimer::timeout, this, &HtmlHighlighter::continueCheck);
    setDocument(document);
}

void HtmlHighlighter::setBackground(const QColor &background)
{
    const bool dark = background.lightness() < 128;
    if (m_dark && *m_dark == dark)
        return;
    m_dark = dark;
    for (const Palette &row : kPalette)
        m_formats[size_t(row.kind)].setForeground(QColor(dark ? row.onDark : row.onLight));
    // Colours already in the layouts are now wrong: every block is read afresh when shown.
    if (QTextDocument *doc = document()) {
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
            block.setUserState(-1);
        m_stale = QTextCursor();
        m_viewLast = -1;
    }
}

QColor HtmlHighlighter::colorOf(Kind kind) const
{
    return m_formats[size_t(kind)].foreground().color();
}

bool HtmlHighlighter::mayColour(int blockNumber) const
{
    return (blockNumber >= m_viewFirst && blockNumber <= m_viewLast) || blockNumber == m_forcedBlock;
}

void HtmlHighlighter::noteChange(int position, int removed, int added)
{
    Q_UNUSED(removed)
    m_changeFrom = position;
    m_changeEnd = position + added;
    m_staleMarkedInChange = false;
    // The whole text replaced (a page opened): no block is known yet, and the ones on screen are
    // coloured when they are painted.
    m_wholeText = position == 0 && added >= document()->characterCount() - 1;
    if (!m_stale.isNull() && position <= m_stale.position())
        m_carriedValid = false;
    // The base class would go through every block of the new text only to be told to leave it,
    // and give each a layout on the way: on a 20 MiB page that is half the time of opening it
    // and most of the memory. It is not told of this change; the idle check reads the blocks.
    // (Opening a page clears the text first: both come before the end of the change.)
    if (m_wholeText && !m_baseDetached)
        m_baseDetached = QObject::disconnect(
            document(), SIGNAL(contentsChange(int, int, int)), this, SLOT(_q_reformatBlocks(int, int, int)));
}

void HtmlHighlighter::endChange()
{
    if (m_baseDetached) {
        m_baseDetached = false;
        QObject::connect(
            document(), SIGNAL(contentsChange(int, int, int)), this, SLOT(_q_reformatBlocks(int, int, int)));
        markStale(document()->begin());
    }
    m_changeFrom = m_changeEnd = -1;
    m_wholeText = false;
    m_staleMarkedInChange = false;
}

void HtmlHighlighter::highlightBlock(const QString &text)
{
    const QTextBlock block = currentBlock();
    if (m_wholeText) {
        noteSkipped(block);
        return;
    }
    if (!mayColour(block.blockNumber())) {
        keepAsItWas(block);
        return;
    }
    const State entry = entryStateOf(block);
    const HtmlTokenizer::Result result = HtmlTokenizer::tokenize(text, entry);
    for (const HtmlTokenizer::Span &span : result.spans) {
        if (span.kind != Kind::Text)
            setFormat(span.start, span.length, m_formats[size_t(span.kind)]);
    }
    setCurrentBlockState(packed(entry, result.end, true));
}

void HtmlHighlighter::keepAsItWas(const QTextBlock &block)
{
    // Out of view: leave the block as it is, so that the base class stops here instead of going
    // on through the rest of the page, and let the idle check finish what follows. A block whose
    // own text changed is no longer known at all.
    const int state = block.userState();
    if (state >= 0) {
        const int position = block.position();
        // A removal leaves an empty range; the block holding it changed all the same.
        const int changeEnd = qMax(m_changeEnd, m_changeFrom + 1);
        if (m_changeFrom >= 0 && position < changeEnd && position + block.length() > m_changeFrom) {
            setCurrentBlockState(-1);
        } else if (isColoured(state)) {
            const QList<QTextLayout::FormatRange> ranges = block.layout()->formats();
            for (const QTextLayout::FormatRange &range : ranges)
                setFormat(range.start, range.length, range.format);
        }
    }
    noteSkipped(block);
}

void HtmlHighlighter::noteSkipped(const QTextBlock &block)
{
    // The base class goes through a change in order, so its first skipped block is the one that
    // matters; the idle check itself knows where it is.
    if (m_checking || m_staleMarkedInChange)
        return;
    m_staleMarkedInChange = m_changeFrom >= 0;
    markStale(block);
}

void HtmlHighlighter::markStale(const QTextBlock &block)
{
    if (m_stale.isNull() || block.position() < m_stale.position()) {
        m_stale = QTextCursor(block);
        m_carriedValid = false;
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
        it->setUserState(packed(state, exit, false));
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
    m_checking = true;
    QTextBlock block = document()->findBlock(m_stale.position());
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
            m_forcedBlock = block.blockNumber();
            rehighlightBlock(block);
            m_forcedBlock = -1;
            carried = exitOf(block.userState());
        } else {
            const State exit = HtmlTokenizer::tokenize(block.text(), carried, false).end;
            block.setUserState(packed(carried, exit, false));
            carried = exit;
        }
        block = block.next();
    }
    m_checking = false;
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
    if (!m_stale.isNull() && document()->findBlock(m_stale.position()).blockNumber() <= last)
        checkUntil(0, last);
    for (QTextBlock block = document()->findBlockByNumber(first); block.isValid() && block.blockNumber() <= last;
         block = block.next()) {
        const int state = block.userState();
        if (!isColoured(state) || entryOf(state) != entryStateOf(block))
            rehighlightBlock(block);
    }
    if (!m_stale.isNull() && !m_idleStep.isActive())
        m_idleStep.start();
}

void HtmlHighlighter::finishPendingWork()
{
    checkUntil(0, -1);
}
