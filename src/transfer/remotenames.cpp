#include "transfer/remotenames.h"

#include "common/cp932codec.h"
#include "common/textcodec.h"
#include "common/usererror.h"

namespace RemoteNames {

namespace {

// Bytes no CP932 table knows come back from the codec as these; on screen they are unknowns.
constexpr char16_t kFirstUndecodable = 0xF780;
constexpr char16_t kLastUndecodable = 0xF7FF;

bool isAscii(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

bool isCp932Name(const QByteArray &bytes)
{
    return !isAscii(bytes) && !TextCodec::isUtf8WithNonAscii(bytes);
}

} // namespace

QString decode(const QByteArray &bytes)
{
    if (isAscii(bytes) || TextCodec::isUtf8WithNonAscii(bytes))
        return QString::fromUtf8(bytes);
    QString text = Cp932Codec::decode(bytes).text;
    for (QChar &c : text) {
        if (c.unicode() >= kFirstUndecodable && c.unicode() <= kLastUndecodable)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

QByteArray encodeLike(const QString &name, const std::vector<QByteArray> &folderNames)
{
    bool cp932 = false;
    for (const QByteArray &other : folderNames) {
        if (isCp932Name(other)) {
            cp932 = true;
            break;
        }
    }
    if (!cp932)
        return name.toUtf8();
    std::optional<Cp932Codec::Unencodable> failure;
    const QByteArray bytes = Cp932Codec::encode(name, {}, &failure);
    if (failure)
        throw UserError(QStringLiteral("「%1」はこのサーバーのファイル名に使えません")
                            .arg(QString::fromUcs4(&failure->character, 1)));
    return bytes;
}

QByteArray encodeLocal(const QByteArray &localName, const std::vector<QByteArray> &folderNames)
{
    if (isCp932Name(localName))
        return localName;
    return encodeLike(QString::fromUtf8(localName), folderNames);
}

} // namespace RemoteNames
