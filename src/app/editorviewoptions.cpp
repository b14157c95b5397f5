#include "app/editorviewoptions.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

namespace {

const QByteArray kSection = QByteArrayLiteral("[SourceView]");
const QByteArray kHighlighting = QByteArrayLiteral("highlighting");
const QByteArray kLineNumbers = QByteArrayLiteral("lineNumbers");

// Two short lines; anything much longer is not a file this program wrote.
constexpr qint64 kLargestFile = 4096;

const char *flag(bool on)
{
    return on ? "true" : "false";
}

} // namespace

EditorViewOptions EditorViewOptions::parse(const QByteArray &text)
{
    EditorViewOptions options;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (equals < 1)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (value != "true" && value != "false")
            continue;
        if (key == kHighlighting)
            options.highlighting = value == "true";
        else if (key == kLineNumbers)
            options.lineNumbers = value == "true";
    }
    return options;
}

QByteArray EditorViewOptions::toText() const
{
    return kSection + '\n' + kHighlighting + '=' + flag(highlighting) + '\n' + kLineNumbers + '=' + flag(lineNumbers)
        + '\n';
}

EditorViewOptions EditorViewOptions::read(const QString &path)
{
    // Only a small plain file; anything else is as good as none.
    try {
        return parse(RegularFile::readAll(path, kLargestFile));
    } catch (const UserError &) {
        return {};
    }
}

void EditorViewOptions::write(const QString &path) const
{
    AtomicFile::write(path, toText());
}
