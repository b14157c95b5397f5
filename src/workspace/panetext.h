#pragma once

#include <QString>

// The two views of the editor's text. The pane (QTextEdit) ends a paragraph with U+2029, a
// soft line break with U+2028, and counts one position per break; the commands think in
// document text with CR LF line ends. Pure conversions between the two, so a position a
// command computes on the text it read lands in the same place in the pane.
namespace PaneText {

// CR LF, a lone CR and a lone LF each become one pane break ("\n").
QString fromDocument(QString crlfText);
// Every pane break (LF, U+2029, U+2028) becomes CR LF.
QString toDocument(QString paneText);

// Maps positions between the two, counting CR LF as two in document text. A position past
// the end counts only the breaks before the end; a document position between CR and LF maps
// to the start of the next line.
int toDocumentPosition(const QString &paneText, int panePosition);
int toPanePosition(const QString &crlfText, int documentPosition);

} // namespace PaneText
