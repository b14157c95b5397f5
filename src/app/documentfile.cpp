#include "app/documentfile.h"

#include "app/rtf/rtfreader.h"
#include "app/rtf/rtfwriter.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "common/atomicfile.h"
#include "common/regularfile.h"

namespace DocumentFile {

TextFormat load(EditorStack &editor, const QString &path, bool plainText)
{
    const QByteArray bytes = RegularFile::readAll(path, RegularFile::kDocumentLimit);
    if (!plainText && RtfReader::isRtf(bytes)) {
        editor.clearAs(EditorKind::RichText);
        RtfReader::read(bytes, *editor.document());
        editor.moveCursor(QTextCursor::Start);
        return TextFormat{};
    }
    DecodedText decoded = TextCodec::decode(bytes);
    editor.clearAs(EditorKind::Source);
    EditorAdapter(editor).setText(std::move(decoded.text));
    return decoded.format;
}

void save(EditorStack &editor, const QString &path, bool plainText, const TextFormat &format)
{
    if (!plainText) {
        AtomicFile::write(path, RtfWriter::write(*editor.document()));
        return;
    }
    savePlain(path, EditorAdapter(editor).text(), format);
}

void savePlain(const QString &path, QString text, const TextFormat &format)
{
    AtomicFile::write(path, TextCodec::encodeOver(text, format));
}

} // namespace DocumentFile
