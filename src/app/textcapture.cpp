#include "app/textcapture.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>

TextCapture::TextCapture(QObject *parent) : QObject(parent)
{
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this, &TextCapture::readTurn);
}

void TextCapture::start(QTextDocument *document, Done done)
{
    stop();
    if (!document)
        return;
    m_document = document;
    m_done = std::move(done);
    // A document tells of its changes only once it has a layout: an editor's has its own, a bare
    // one gets the default here.
    document->documentLayout();
    m_change = connect(document, &QTextDocument::contentsChange, this, &TextCapture::follow);
    m_next.start();
}

void TextCapture::stop()
{
    m_next.stop();
    disconnect(m_change);
    m_document.clear();
    m_done = nullptr;
    m_pieces.clear();
    m_taken = 0;
}

QString TextCapture::join(const QStringList &pieces)
{
    qsizetype size = 0;
    for (const QString &piece : pieces)
        size += piece.size();
    QString text;
    text.reserve(size);
    for (const QString &piece : pieces)
        text += piece;
    return text;
}

int TextCapture::length() const
{
    return m_document->characterCount() - 1;
}

QString TextCapture::read(int from, int to) const
{
    if (from >= to)
        return {};
    QTextCursor cursor(m_document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

void TextCapture::readTurn()
{
    if (!m_document) {
        Done done = std::move(m_done);
        stop();
        done(std::nullopt);
        return;
    }
    QElapsedTimer clock;
    clock.start();
    do {
        const int end = length();
        if (m_taken == end) {
            Done done = std::move(m_done);
            QStringList pieces = std::move(m_pieces);
            stop();
            done(std::move(pieces));
            return;
        }
        if (m_taken > end) {
            // Cannot happen while every change is followed; should one ever be missed, a copy
            // read afresh is still right where a patched one would not be.
            truncate(0);
            continue;
        }
        const int to = int(qMin<qsizetype>(end, m_taken + kPieceCharacters));
        m_pieces.append(read(int(m_taken), to));
        m_taken = to;
    } while (clock.nsecsElapsed() < kTurnBudgetNs);
    m_next.start();
}

void TextCapture::follow(int position, int removed, int added)
{
    // Text after the part taken is read later as it stands then.
    if (position >= m_taken)
        return;
    // A change reaching past the part taken (or one whose new text cannot be all there, as
    // Qt reports for the last paragraph's end) leaves the part before it, read on from there.
    if (position + qsizetype(removed) > m_taken || position + added > length()) {
        truncate(position);
        return;
    }
    erase(position, removed);
    insert(position, read(position, position + added));
    m_taken += added - removed;
}

void TextCapture::erase(qsizetype position, qsizetype count)
{
    qsizetype start = 0;
    for (auto piece = m_pieces.begin(); piece != m_pieces.end() && count > 0;) {
        const qsizetype size = piece->size();
        if (position >= start + size) {
            start += size;
            ++piece;
            continue;
        }
        // What is left of the count then begins where this piece begins after the removal.
        const qsizetype from = position - start;
        const qsizetype n = qMin(count, size - from);
        piece->remove(from, n);
        count -= n;
        start += piece->size();
        if (piece->isEmpty())
            piece = m_pieces.erase(piece);
        else
            ++piece;
    }
}

void TextCapture::insert(qsizetype position, const QString &text)
{
    if (text.isEmpty())
        return;
    qsizetype start = 0;
    for (QString &piece : m_pieces) {
        if (position <= start + piece.size()) {
            piece.insert(position - start, text);
            return;
        }
        start += piece.size();
    }
    m_pieces.append(text);
}

void TextCapture::truncate(qsizetype size)
{
    qsizetype start = 0;
    auto piece = m_pieces.begin();
    while (piece != m_pieces.end() && start + piece->size() <= size) {
        start += piece->size();
        ++piece;
    }
    if (piece != m_pieces.end()) {
        piece->truncate(size - start);
        if (!piece->isEmpty())
            ++piece;
        m_pieces.erase(piece, m_pieces.end());
    }
    m_taken = size;
}
