#include "preview/previewchoices.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

#include <QList>

namespace {

const QByteArray kSection = QByteArrayLiteral("[Preview]");

// A few short lines; anything much longer is not a file this program wrote.
constexpr qint64 kLargestFile = 4096;

QByteArray keyOf(const QByteArray &line)
{
    const qsizetype equals = line.indexOf('=');
    return equals < 1 ? QByteArray() : line.left(equals).trimmed();
}

} // namespace

namespace PreviewChoices {

QByteArray value(const QByteArray &text, const QByteArray &key)
{
    for (const QByteArray &line : text.split('\n')) {
        if (keyOf(line) == key)
            return line.mid(line.indexOf('=') + 1).trimmed();
    }
    return {};
}

QByteArray withValue(const QByteArray &text, const QByteArray &key, const QByteArray &value)
{
    QByteArray result = kSection + '\n';
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        const QByteArray lineKey = keyOf(line);
        if (!lineKey.isEmpty() && lineKey != key)
            result += line + '\n';
    }
    return result + key + '=' + value + '\n';
}

QByteArray read(const QString &path)
{
    try {
        return RegularFile::readAll(path, kLargestFile);
    } catch (const UserError &) {
        return {};
    }
}

void write(const QString &path, const QByteArray &key, const QByteArray &value)
{
    AtomicFile::write(path, withValue(read(path), key, value));
}

} // namespace PreviewChoices
