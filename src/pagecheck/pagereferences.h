#pragma once

#include "common/textcodec.h"
#include "pagecheck/filefacts.h"

#include <QString>

// Reads a file's facts for the site check from its text: of a page, every address it uses
// (href, src, each candidate of srcset, poster, <form action>, url(…) in its style attributes
// and <style> blocks), its ids and <a name>s, its <title> and its charset declaration, and the
// page check's rows; of a style sheet, the url(…)s. Plain logic: safe on a worker thread.
namespace PageReferences {

FileFacts ofPage(const QString &text, TextFormat::Encoding savedAs);
FileFacts ofStyleSheet(const QString &text);

} // namespace PageReferences
