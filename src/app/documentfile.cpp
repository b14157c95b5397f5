#include "app/documentfile.h"

#include "app/rtf/rtfreader.h"
#include "app/rtf/rtfwriter.h"
#include "authoring/editoradapter.h"
#include "common/atomicfile.h"
#include "common/regularfile.h"

#include <QTextEdit>

namespace DocumentFile {

TextFormat load(QTextEdit &editor, const QString &path, bool plainText)
{
    const QByteArray bytes = RegularFile::readAll(path, RegularFile::kDocumentLimit);
    if (!plainText && RtfReader::isRtf(bytes)) {
        editor.setAcceptRichText(true);
        RtfReader::read(bytes, *editor.document());
        editor.moveCursor(QTextCursor::Start);
        return TextFormat{};
    }
    DecodedText decoded = TextCodec::decode(bytes);
    editor.setAcceptRichText(false);
    // The pane would give plain text the format at its caret, which may be what the previous
    // rich document ended in; a plain document starts from the pane's own font.
    editor.document()->clear();
    editor.setCurrentCharFormat(QTextCharFormat());
    EditorAdapter(editor).setText(decoded.text);
    return decoded.format;
}

void save(QTextEdit &editor, const QString &path, bool plainText, const TextFormat &format)
{
    const QByteArray bytes =
        plainText ? TextCodec::encode(EditorAdapter(editor).text(), format) : RtfWriter::write(*editor.document());
    AtomicFile::write(path, bytes);
}

void savePlain(const QString &path, const QString &text, const TextFormat &format)
{
    AtomicFile::write(path, TextCodec::encode(text, format));
}

} // namespace DocumentFile
