#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Which of tidy's messages are one fault. tidy reports an element left open once, where it
// starts ("missing </b> before </p>"), and then goes on as if it continued: it opens it again at
// each block that follows ("inserting implicit <b>"), and there it may report it once more or
// trim it away as empty. Where tidy inserts an element of its own to repair something (a <form>
// around an <input>), it reports that element too. Those later messages are not further faults
// but the same one, so they fold into the first.
namespace UnclosedElements {

struct Message
{
    QByteArray key;
    QString about;   // the bare, lower-case element the message names first ("b")
    QString atPlace; // the bare, lower-case element whose start tag is at its place, if any
    int line = 0;
    int column = 0;
};

// The element a message reports as left open ("b"); empty for a message of another kind.
QString leftOpen(const Message &message);

// For each message, the index of the message it folds into (the first of its fault); -1 for one
// that stands on its own.
QList<qsizetype> fold(const QList<Message> &messages);

} // namespace UnclosedElements
