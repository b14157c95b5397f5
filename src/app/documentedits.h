#pragma once

#include "app/replacerules.h"

#include <QList>
#include <QString>

class QTextDocument;

// Replacements found in a page's CR LF text, made in the editor's document that holds it.
namespace DocumentEdits {

// Every edit in one undo step, each character around them keeping its format. crlfText: the
// document's text as the edits were found in it.
void applyInOneStep(QTextDocument &document, const QString &crlfText, const QList<ReplaceRules::Edit> &edits);

} // namespace DocumentEdits
