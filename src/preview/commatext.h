#pragma once

#include <QString>
#include <QStringList>

// The comma text of the visited-page and favourites lists: fields between double quotes joined by
// commas. Reading follows the rules the files have always been read by (quoted or bare fields,
// blanks around the commas skipped, a doubled double quote inside a quoted field for one), so
// files written by earlier versions still read as they did. Writing doubles a double quote inside
// a field, which those rules turn back into one.
namespace CommaText {

// The fields of one line, in order.
QStringList split(const QString &line);

// One field between double quotes, an inner double quote doubled.
QString quoted(const QString &field);

// The fields, each quoted, joined by commas.
QString join(const QStringList &fields);

} // namespace CommaText
