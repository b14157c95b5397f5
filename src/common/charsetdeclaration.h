#pragma once

#include <QByteArray>

#include <optional>

// What a page says of its own encoding in its first 1,024 bytes: <meta charset=…>,
// <meta http-equiv="Content-Type" content="…; charset=…"> or <?xml … encoding=…?>.
namespace CharsetDeclaration {

enum class Declared {
    ShiftJis, // Shift_JIS and its Windows spellings (x-sjis, windows-31j, cp932, …)
    Utf8,
    Other, // a declaration the program cannot write back (EUC-JP, ISO-2022-JP, …)
};

// The first declaration found; nullopt when the page declares nothing.
std::optional<Declared> find(const QByteArray &bytes);

// How a charset name reads, whatever its letter case.
Declared classify(const QByteArray &name);

} // namespace CharsetDeclaration
