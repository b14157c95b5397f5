#include "workspace/documentfile.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/textcontent.h"
#include "common/usererror.h"
#include "workspace/rtf/rtfreader.h"
#include "workspace/rtf/rtfwriter.h"

namespace {

// Shown after "ファイル … は開けません", as every failure to open a document is.
const QString kNotTextReason =
    QStringLiteral("テキストではないファイルです（画像、PDF、ZIP、Word や Excel の文書などは開けません）");
const QString kUnreadableReason =
    QStringLiteral("Shift_JIS としても UTF-8 としても読めません。テキストではないか、ほかの文字コードのファイルです");

[[noreturn]] void refuse(const QString &path, const QString &reason)
{
    throw UserError(QStringLiteral("ファイル %1 は開けません\n%2").arg(path, reason));
}

// The file's text, or a refusal before the page is touched: a file of another kind shown as
// text and saved would be destroyed.
DecodedText decodeText(const QString &path, const QByteArray &bytes)
{
    if (TextContent::startsLikeBinary(bytes))
        refuse(path, kNotTextReason);
    DecodedText decoded = TextCodec::decode(bytes);
    switch (TextContent::reading(bytes, decoded)) {
    case TextContent::Reading::Clean:
        break;
    case TextContent::Reading::SomeUnreadable:
        decoded.format.unreadableBytes = true;
        break;
    case TextContent::Reading::NotText:
        refuse(path, kUnreadableReason);
    }
    return decoded;
}

} // namespace

namespace DocumentFile {

Contents read(const QString &path, bool plainText)
{
    Contents contents;
    QByteArray bytes = RegularFile::readAll(path, RegularFile::kDocumentLimit);
    if (!plainText && RtfReader::isRtf(bytes)) {
        contents.richText = true;
        contents.rtf = std::move(bytes);
        return contents;
    }
    contents.plain = decodeText(path, bytes);
    return contents;
}

DecodedText decodePlain(const QString &path, const QByteArray &bytes)
{
    return decodeText(path, bytes);
}

void writeRichText(const QString &path, const QTextDocument &text)
{
    AtomicFile::write(path, RtfWriter::write(text));
}

void savePlain(const QString &path, QString text, const TextFormat &format)
{
    AtomicFile::write(path, TextCodec::encodeOver(text, format));
}

} // namespace DocumentFile
