#pragma once

#include "common/textcodec.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <variant>

// Puts new text in the place of stretches of a page file's text and gives the file's new bytes,
// every byte outside those stretches as it was. Writing the edited text back through the codec
// would not do that: CP932 spells some characters twice, and a file's mixed line ends would all
// become its majority's. The stretches are found in the text as the page source gives it (CR LF
// line ends), so they are mapped back onto the bytes they were decoded from, and only the new
// text is encoded: in the file's encoding, with the file's line end.
namespace SpanRewrite {

struct Edit
{
    int start = 0; // in the CR LF text, in UTF-16 units
    int length = 0;
    QString text;
};

// Why a file is not rewritten, for the user: a sentence naming what stops it.
struct Refusal
{
    QString reason;
};

// The file's new bytes, or why it keeps its old ones: bytes its encoding does not read cleanly
// (writing over them would change what is no part of any edit), a character of an edit that
// the encoding cannot hold, or new bytes that would not read back as the edited text (another
// encoding guessed, a declaration edited away). Edits are in order and do not overlap.
std::variant<QByteArray, Refusal> apply(const QByteArray &bytes, const QList<Edit> &edits);
// The same for bytes already decoded, cleanly, into crlfText in format: a caller that found the
// edits in that text spares decoding it again.
std::variant<QByteArray, Refusal>
apply(const QByteArray &bytes, const QString &crlfText, const TextFormat &format, const QList<Edit> &edits);

} // namespace SpanRewrite
