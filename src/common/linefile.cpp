#include "common/linefile.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/textcodec.h"

namespace LineFile {

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

QString joinLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

QStringList read(const QString &path)
{
    return splitLines(TextCodec::decodeListFile(RegularFile::readAll(path, RegularFile::kListFileLimit)));
}

void write(const QString &path, const QStringList &lines, QFileDevice::Permissions permissions)
{
    AtomicFile::write(path, TextCodec::encodeListFile(joinLines(lines)), permissions);
}

} // namespace LineFile
