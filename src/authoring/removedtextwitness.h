#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QTextCursor;
class QTextDocument;
class QWidget;

// Remembers the text around an editing view's caret and selection as it was before the next
// edit, so that when the edit removes characters, what a screen reader hears is those
// characters. Qt's own text views report removed text as spaces: by the time they report it,
// the text is gone. The copy is taken after each edit and caret move has been handled (never
// during one), is kept small, and answers for one removal only; a removal it cannot vouch for
// gets no answer rather than a wrong one.
class RemovedTextWitness final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemovedTextWitness)

public:
    // view: a QPlainTextEdit or a QTextEdit; the witness lives as long as it.
    explicit RemovedTextWitness(QWidget &view);

    // The characters [position, position + length) as they were before the edit now being
    // reported, or nothing when they are not known. Each answer is given once.
    std::optional<QString> takeRemoved(qsizetype position, qsizetype length);

    // How far either side of the caret, and how much of a selection, the copy holds.
    static constexpr int kAroundCaret = 256;
    static constexpr int kLongestCopy = 64 * 1024;

private:
    void refreshSoon();
    void refresh();
    QTextCursor cursor() const;
    QTextDocument *document() const;

    QWidget &m_view;
    QPointer<QTextDocument> m_document; // the text the copy was taken from
    qsizetype m_start = 0;
    QString m_copy;
    bool m_fresh = false;
    bool m_refreshPending = false;
};
