#include "transfer/publishmanifest.h"

#include "common/atomicfile.h"
#include "common/datafolder.h"
#include "common/regularfile.h"
#include "common/usererror.h"
#include "transfer/contenthash.h"

#include <QDir>
#include <QFileInfo>
#include <QList>

#include <algorithm>
#include <cstdio>

namespace {

const QByteArray kHeader = "QZWeb publish manifest 1";
// Far beyond the lines of a site of a hundred thousand files.
constexpr qint64 kSizeLimit = qint64(256) * 1024 * 1024;

QByteArray hexHash(std::uint64_t hash)
{
    return QByteArray::number(static_cast<qulonglong>(hash), 16).rightJustified(16, '0');
}

} // namespace

QString PublishManifest::pathFor(const QString &host, const QString &user, const QByteArray &remoteRoot)
{
    // Host, user and folder name the remote tree the records describe; any of their characters
    // may be unfit for a file name, so the name is their hash.
    const QByteArray key = host.toLower().toUtf8() + '\n' + user.toUtf8() + '\n' + remoteRoot;
    return DataFolder::filePath(
        QStringLiteral("publish/%1.manifest").arg(QString::fromLatin1(hexHash(ContentHash::ofBytes(key)))));
}

void PublishManifest::load(const QString &path)
{
    m_entries.clear();
    if (!QFileInfo::exists(path))
        return;
    *this = parse(RegularFile::readAll(path, kSizeLimit));
}

void PublishManifest::write(const QString &path, Flush flush) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (flush == Flush::ToDisk) {
        AtomicFile::write(path, format(), ownerOnly);
        return;
    }
    // Written whole beside the file, then renamed over it: never half-written, even when the
    // program is killed in between.
    const QString part = path + QStringLiteral(".part");
    QFile file(part);
    const QByteArray bytes = format();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !file.setPermissions(ownerOnly)
        || file.write(bytes) != bytes.size() || !file.flush()) {
        file.remove();
        throw UserError(QStringLiteral("ファイル %1 を作成できません").arg(path));
    }
    file.close();
    if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(part);
        throw UserError(QStringLiteral("ファイル %1 を作成できません").arg(path));
    }
}

const PublishManifest::Entry *PublishManifest::find(const QByteArray &path) const
{
    const auto it = m_entries.constFind(path);
    return it == m_entries.cend() ? nullptr : &it.value();
}

QByteArray PublishManifest::format() const
{
    QList<QByteArray> paths = m_entries.keys();
    std::sort(paths.begin(), paths.end());
    QByteArray text = kHeader + '\n';
    for (const QByteArray &path : paths) {
        const Entry &entry = m_entries.value(path);
        // Names are any bytes and times hold a blank: both go percent-encoded.
        text += hexHash(entry.hash) + '\t' + QByteArray::number(entry.remoteSize) + '\t'
            + entry.remoteTime.toUtf8().toPercentEncoding() + '\t' + path.toPercentEncoding("/") + '\n';
    }
    return text;
}

PublishManifest PublishManifest::parse(const QByteArray &bytes)
{
    PublishManifest manifest;
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.isEmpty() || lines.constFirst() != kHeader)
        return manifest;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split('\t');
        if (fields.size() != 4)
            continue;
        bool hashRead = false;
        bool sizeRead = false;
        Entry entry;
        entry.hash = fields.at(0).toULongLong(&hashRead, 16);
        entry.remoteSize = fields.at(1).toLongLong(&sizeRead);
        entry.remoteTime = QString::fromUtf8(QByteArray::fromPercentEncoding(fields.at(2)));
        const QByteArray path = QByteArray::fromPercentEncoding(fields.at(3));
        if (hashRead && sizeRead && entry.remoteSize >= 0 && !path.isEmpty())
            manifest.m_entries.insert(path, entry);
    }
    return manifest;
}
