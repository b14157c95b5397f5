#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextDocument>
#include <QTimer>

#include <functional>
#include <optional>

// Takes a copy of a QTextDocument's text (the pane's own text: U+2029 between paragraphs)
// across event-loop turns, a few milliseconds of reading per turn, so that copying a large page
// never keeps a key waiting. Edits made meanwhile are followed: a change inside the part already
// taken is made to the copy as well, so the copy ends as the text stands when the last piece is
// read, and an edit never sends the reading back to the start. The copy is handed over in pieces;
// joining them is left to whoever gets them, off the window's thread if it likes. Refers to the
// document (and stops when it goes); owns the pieces taken so far and its timer.
class TextCapture final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextCapture)

public:
    // Reading per turn: as long as one step of the colouring, well under a frame.
    static constexpr qint64 kTurnBudgetNs = 4'000'000;
    // Characters read at a time, between two looks at the clock.
    static constexpr int kPieceCharacters = 16 * 1024;

    // nullopt: the document went before the copy was whole.
    using Done = std::function<void(std::optional<QStringList> pieces)>;

    explicit TextCapture(QObject *parent = nullptr);

    // Starts taking the document's text, dropping a copy under way; done gets it on this
    // thread, in a later turn of the event loop.
    void start(QTextDocument *document, Done done);
    void stop();
    bool isRunning() const { return m_next.isActive(); }
    QTextDocument *document() const { return m_document; }

    // The pieces joined: the whole text.
    static QString join(const QStringList &pieces);

private:
    void readTurn();
    void follow(int position, int removed, int added);
    QString read(int from, int to) const;
    void erase(qsizetype position, qsizetype count);
    void insert(qsizetype position, const QString &text);
    void truncate(qsizetype size);
    // Characters of the document there are to take: all but the end of the last paragraph.
    int length() const;

    QPointer<QTextDocument> m_document;
    Done m_done;
    QStringList m_pieces;
    qsizetype m_taken = 0; // characters in the pieces: the document's first m_taken, as they stand
    QMetaObject::Connection m_change;
    QTimer m_next;
};
