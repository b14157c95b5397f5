// The CP932 codec over any bytes: decoding never grows the text beyond one unit per byte, and the
// decoded text with its byte memory encodes back to exactly the bytes read, so opening and saving
// an unedited file never changes a byte of it. Without the memory (a new text) every decoded
// character still has a CP932 form.
#include "common/cp932codec.h"
#include "fuzz/fuzzcheck.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const Cp932Codec::Decoded decoded = Cp932Codec::decode(bytes);
    FUZZ_CHECK(decoded.text.size() <= bytes.size());

    std::optional<Cp932Codec::Unencodable> failure;
    const QByteArray written = Cp932Codec::encode(decoded.text, decoded.memory, &failure);
    FUZZ_CHECK(!failure.has_value());
    FUZZ_CHECK(written == bytes);

    FUZZ_CHECK(Cp932Codec::canEncode(decoded.text));
    for (const QChar c : decoded.text)
        FUZZ_CHECK(Cp932Codec::canEncode(char32_t(c.unicode())));
    const QByteArray canonical = Cp932Codec::encode(decoded.text, {}, &failure);
    FUZZ_CHECK(!failure.has_value());
    // The memory is needed only for characters written in a form the encoder would not choose.
    FUZZ_CHECK(!decoded.memory.isEmpty() || canonical == bytes);
    return 0;
}
