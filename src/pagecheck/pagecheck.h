#pragma once

#include "common/phonefit.h"
#include "common/textcodec.h"
#include "pagecheck/checkrow.h"
#include "pagecheck/tagscan.h"

#include <QString>

#include <optional>
#include <utility>

// The page check: what is wrong with a page before it goes online, in the program's own Japanese
// sentences. tidy reads the markup; our own checks read what tidy cannot know (the charset
// against how the page will be saved, local link targets and their letter case, addresses that
// only exist on the user's disk, http images on an https page). Plain logic: safe to run on a
// worker thread.
namespace PageCheck {

struct Input
{
    QString text;   // the editor's text, not the file on disk
    QString folder; // the document's folder; empty while untitled (local targets then go unchecked)
    TextFormat::Encoding saveEncoding = TextFormat::Encoding::Cp932;
    // The page's own address (https://…); empty: the one the page declares, if any
    // (<link rel="canonical">, <meta property="og:url">, <base href>).
    QString pageAddress;
    // The phone preview's measure of this very text; none when it was not shown at a phone's width.
    std::optional<PhoneFit> phoneFit = std::nullopt;
};

// The rows in the order of the page (line, then column); empty when nothing is wrong.
CheckRows run(const Input &input);

// The page's first charset declaration: the name as written and where the name starts.
std::optional<std::pair<QString, qsizetype>> declaredCharset(const TagScan::Result &scan);

// The name of the encoding as a declaration writes it: "Shift_JIS" or "UTF-8".
QString charsetName(TextFormat::Encoding encoding);

} // namespace PageCheck
