// The RTF reader over any bytes a file may hold: it never throws, and what it read, written by the
// program's own writer and read again, gives the same text in the same paragraphs, so a rich text
// file opened and saved keeps its words.
#include "common/cp932codec.h"
#include "fuzz/fuzzcheck.h"
#include "workspace/rtf/rtfreader.h"
#include "workspace/rtf/rtfwriter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The text as the writer can keep it: it drops control characters other than tabs and breaks,
// and embedded objects, and it writes the few characters that CP932 holds only as a look-alike
// (〜 as ～, £ as ￡, as Windows writes them) in that form.
QString keptText(const QTextDocument &document)
{
    QString text = document.toPlainText();
    text.removeIf([](QChar c) {
        return (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n')) || c.unicode() == 0xFFFC;
    });
    QString kept;
    for (const QChar c : text) {
        const QString one(c);
        kept += c.unicode() >= 0x80 && Cp932Codec::canEncode(char32_t(c.unicode()))
            ? Cp932Codec::decode(Cp932Codec::encode(one, {}, nullptr)).text
            : one;
    }
    return kept;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Text documents need the font database, which needs an application; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray rtf(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QTextDocument document;
    RtfReader::read(rtf, document);

    QTextDocument again;
    RtfReader::read(RtfWriter::write(document), again);
    FUZZ_CHECK(again.blockCount() == document.blockCount());
    FUZZ_CHECK(keptText(again) == keptText(document));
    return 0;
}
