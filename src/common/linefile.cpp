#include "common/linefile.h"

#include "common/atomicfile.h"
#include "common/errortext.h"
#include "common/regularfile.h"
#include "common/textcodec.h"
#include "common/usererror.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

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

Contents decode(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    if (zero < 0)
        return {splitLines(TextCodec::decodeListFile(bytes)), false};
    return {splitLines(TextCodec::decodeListFile(bytes.left(zero))), true};
}

Contents readContents(const QString &path)
{
    return decode(RegularFile::readAll(path, RegularFile::kListFileLimit));
}

QStringList read(const QString &path)
{
    return readContents(path).lines;
}

void write(const QString &path, const QStringList &lines, QFileDevice::Permissions permissions)
{
    AtomicFile::write(path, TextCodec::encodeListFile(joinLines(lines)), permissions);
}

QString backupPath(const QString &path)
{
    return path + QStringLiteral(".bak");
}

Contents writeOver(const QString &path,
                   const Contents &asRead,
                   const QStringList &lines,
                   bool changed,
                   QFileDevice::Permissions permissions)
{
    if (!asRead.damaged) {
        write(path, lines, permissions);
        return {lines, false};
    }
    if (!changed)
        return asRead;
    // Moved, not copied: the damaged file need not be read again, and a rename happens whole
    // or not at all. A previous backup gives way to the newer original.
    const QFileInfo original(path);
    const QFileDevice::Permissions wanted = permissions ? permissions : original.permissions();
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(backupPath(path));
    const bool moved = original.exists();
    if (moved && std::rename(from.constData(), to.constData()) != 0) {
        const int saved = errno;
        throw UserError(
            QStringLiteral("ファイル %1 を作成できません\n%2").arg(backupPath(path), systemErrorText(saved)));
    }
    try {
        write(path, lines, wanted);
    } catch (...) {
        if (moved)
            std::rename(to.constData(), from.constData());
        throw;
    }
    return {lines, false};
}

QStringList unstorableCharacters(QStringView value)
{
    struct Refused
    {
        char16_t character;
        const char *name;
    };
    static constexpr Refused kRefused[] = {
        {u'\r', "改行 (CR)"},
        {u'\n', "改行 (LF)"},
        {u'\0', "NUL 文字"},
    };
    QStringList names;
    for (const Refused &refused : kRefused) {
        if (value.contains(QChar(refused.character)))
            names.append(QString::fromUtf8(refused.name));
    }
    return names;
}

} // namespace LineFile
