#include "transfer/ftperrortext.h"

#include "common/cp932codec.h"
#include "common/textcodec.h"
#include "common/usererror.h"

#include <QByteArray>

namespace {

// Bytes no CP932 table knows come back from the codec as these; on screen they are unknowns.
constexpr char16_t firstUndecodable = 0xF780;
constexpr char16_t lastUndecodable = 0xF7FF;

bool isAscii(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

// Directional overrides and isolates: invisible, yet they can reorder what the user reads.
bool isBidiControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString decode(const QByteArray &bytes)
{
    if (isAscii(bytes) || TextCodec::isUtf8WithNonAscii(bytes))
        return QString::fromUtf8(bytes);
    QString text = Cp932Codec::decode(bytes).text;
    for (QChar &c : text) {
        if (c.unicode() >= firstUndecodable && c.unicode() <= lastUndecodable)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

QString withoutControls(const QString &text)
{
    QString clean;
    clean.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar c = text.at(index);
        if (c == u'\r' && index + 1 < text.size() && text.at(index + 1) == u'\n') {
            clean += QStringLiteral("\r\n");
            ++index;
            continue;
        }
        if (c.category() == QChar::Other_Control || isBidiControl(c.unicode()))
            continue;
        clean += c;
    }
    return clean;
}

} // namespace

QString ftpErrorText(const std::exception &error)
{
    if (const auto *user = dynamic_cast<const UserError *>(&error))
        return withoutControls(user->text());
    return withoutControls(decode(QByteArray(error.what())));
}
