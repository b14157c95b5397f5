#include "authoring/editorfile.h"

#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "workspace/documentfile.h"
#include "workspace/rtf/rtfreader.h"

namespace EditorFile {

TextFormat load(EditorStack &editor, const QString &path, bool plainText)
{
    DocumentFile::Contents contents = DocumentFile::read(path, plainText);
    if (contents.richText) {
        editor.clearAs(EditorKind::RichText);
        RtfReader::read(contents.rtf, *editor.document());
        editor.moveCursor(QTextCursor::Start);
        return TextFormat{};
    }
    editor.clearAs(EditorKind::Source);
    EditorAdapter(editor).setText(std::move(contents.plain.text));
    return contents.plain.format;
}

void save(EditorStack &editor, const QString &path, bool plainText, const TextFormat &format)
{
    if (!plainText) {
        DocumentFile::writeRichText(path, *editor.document());
        return;
    }
    DocumentFile::savePlain(path, EditorAdapter(editor).text(), format);
}

} // namespace EditorFile
