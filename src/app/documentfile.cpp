#include "app/documentfile.h"

#include "app/rtf/rtfreader.h"
#include "app/rtf/rtfwriter.h"
#include "authoring/editoradapter.h"
#include "common/atomicfile.h"

#include <QTextEdit>

TextFormat DocumentFile::load(QTextEdit &editor, const QString &path, bool plainText)
{
    const QByteArray bytes = AtomicFile::readAll(path);
    if (!plainText && RtfReader::isRtf(bytes)) {
        editor.setAcceptRichText(true);
        RtfReader::read(bytes, *editor.document());
        editor.moveCursor(QTextCursor::Start);
        forgetSource();
        return TextFormat{};
    }
    DecodedText decoded = TextCodec::decode(bytes);
    editor.setAcceptRichText(false);
    // The pane would give plain text the format at its caret, which may be what the previous
    // rich document ended in; a plain document starts from the pane's own font.
    editor.document()->clear();
    editor.setCurrentCharFormat(QTextCharFormat());
    EditorAdapter adapter(editor);
    adapter.setText(decoded.text);
    m_sourceText = adapter.text();
    m_sourceBytes = withCrLfLineEnds(bytes);
    m_sourceEncoding = decoded.format.encoding;
    m_sourceByteOrderMark = decoded.format.byteOrderMark;
    return decoded.format;
}

void DocumentFile::save(QTextEdit &editor, const QString &path, bool plainText, const TextFormat &format)
{
    if (!plainText) {
        AtomicFile::write(path, RtfWriter::write(*editor.document()));
        return;
    }
    const QString text = EditorAdapter(editor).text();
    const bool unchanged = text == m_sourceText && format.encoding == m_sourceEncoding
                           && format.byteOrderMark == m_sourceByteOrderMark && !m_sourceBytes.isNull();
    const QByteArray bytes = unchanged ? m_sourceBytes : TextCodec::encode(text, format);
    AtomicFile::write(path, bytes);
    m_sourceText = text;
    m_sourceBytes = bytes;
    m_sourceEncoding = format.encoding;
    m_sourceByteOrderMark = format.byteOrderMark;
}

void DocumentFile::forgetSource()
{
    m_sourceText.clear();
    m_sourceBytes = QByteArray();
}

QByteArray DocumentFile::withCrLfLineEnds(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 32);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '\r') {
            out.append("\r\n");
            if (i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
                ++i;
        } else if (c == '\n') {
            out.append("\r\n");
        } else {
            out.append(c);
        }
    }
    return out;
}
