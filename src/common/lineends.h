#pragma once

#include <QString>
#include <QStringView>

// The line end a text file is written with. A CGI script with CR LF line ends fails on the
// server ("bad interpreter"), and a file whose every line end changed is a whole-file change for
// any tool that compares versions, so each file is written back with the line end it came with.
enum class LineEnd {
    CrLf,
    Lf,
    Cr,
};

namespace LineEnds {

// The line end most of the text's lines end with; on a tie, CR LF before LF before CR. A text
// without any line end is CR LF, the program's own form.
LineEnd detect(QStringView text);

// Makes every line end of the text (CR LF, a lone CR, a lone LF) the given one. LF and CR are
// written over the text's own memory: a text of no other use costs no second buffer.
void convert(QString &text, LineEnd lineEnd);

} // namespace LineEnds
