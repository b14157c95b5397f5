#include "transfer/transferpaths.h"

namespace TransferPaths {

namespace {

template<typename Text, typename Char>
Text convert(Text path, Char sep, Char slash, Char backslash)
{
    const Char other = sep == slash ? backslash : slash;
    path.replace(other, sep);
    return path;
}

template<typename Text, typename Char>
Text parentOf(const Text &path, Char sep)
{
    Text rest = path;
    if (rest.endsWith(sep))
        rest.chop(1);
    const qsizetype last = rest.lastIndexOf(sep);
    return last < 0 ? Text() : rest.left(last + 1);
}

} // namespace

QString convertSeparators(QString path, QChar sep)
{
    return convert(std::move(path), sep, QChar(u'/'), QChar(u'\\'));
}

QString parentPath(const QString &path, QChar sep)
{
    return parentOf(path, sep);
}

QByteArray parentPath(const QByteArray &path, char sep)
{
    return parentOf(path, sep);
}

} // namespace TransferPaths
