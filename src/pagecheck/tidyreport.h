#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What libtidy says of a page: its warnings and errors with tidy's stable message key, its
// position (tidy's own counting: code points, tabs expanded to eight), the subjects tidy named
// (its message's arguments, in its order) and its English text. The page is handed over as UTF-8
// whatever it will be saved in: tidy cannot decode Shift_JIS here, and our decoder already has.
namespace TidyReport {

struct Message
{
    enum class Severity {
        Warning,
        Error,
    };

    QByteArray key; // "MISSING_ENDTAG_FOR"
    Severity severity = Severity::Warning;
    int line = 0;
    int column = 0;
    // What the message names, as tidy wrote it: for "<table> lacks "summary" attribute" the
    // element "<table>" and the attribute "summary".
    QStringList arguments;
    QString text;
};

// Parses, repairs and diagnoses the page as `tidy -e` does, and collects every message that has
// a place in the page. Nothing is written anywhere.
QList<Message> check(const QByteArray &utf8);

// tidy's English message of a key with its arguments left as printf conversions ("%s lacks
// \"%s\" attribute"); empty for a key tidy does not have.
QString format(const QByteArray &key);

} // namespace TidyReport
