#include "transfer/publishmanifest.h"

#include "common/atomicfile.h"
#include "common/datafolder.h"
#include "common/dateformat.h"
#include "common/regularfile.h"
#include "common/usererror.h"
#include "transfer/contenthash.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QSet>
#include <QTemporaryFile>

#include <cstdio>

namespace {

const QByteArray kHeader = "QZWeb publish manifest 3";
// The second form kept the listing's time as it was shown ("2026/12/08 12:34"); the first had
// no local stamps either. Their records still count, the first's files are hashed again.
const QByteArray kHeaderWithShownTimes = "QZWeb publish manifest 2";
const QByteArray kHeaderWithoutStamps = "QZWeb publish manifest 1";
// The line after the header that names the mode the server gives new files ("mode\t644").
const QByteArray kModeKey = "mode";
// Far beyond the lines of a site of a hundred thousand files.
constexpr qint64 kSizeLimit = qint64(256) * 1024 * 1024;

QByteArray hexHash(std::uint64_t hash)
{
    return QByteArray::number(static_cast<qulonglong>(hash), 16).rightJustified(16, '0');
}

QByteArray formatStamp(const PublishManifest::LocalStamp &stamp)
{
    if (!stamp.known())
        return "-";
    return QByteArray::number(stamp.size) + ',' + QByteArray::number(stamp.modifiedNs) + ','
        + QByteArray::number(stamp.changedNs) + ',' + QByteArray::number(stamp.inode);
}

// A stamp that cannot be read is an unknown one: the file is hashed again, nothing worse.
PublishManifest::LocalStamp parseStamp(const QByteArray &field)
{
    const QList<QByteArray> parts = field.split(',');
    if (parts.size() != 4)
        return {};
    bool read[4] = {};
    const PublishManifest::LocalStamp stamp{parts.at(0).toLongLong(&read[0]),
                                            parts.at(1).toLongLong(&read[1]),
                                            parts.at(2).toLongLong(&read[2]),
                                            parts.at(3).toULongLong(&read[3])};
    return read[0] && read[1] && read[2] && read[3] ? stamp : PublishManifest::LocalStamp{};
}

// A time as the file keeps it: "2026-12-08" (a day alone), "2026-12-08T12:34" (a listing's
// minute) or "2026-12-08T12:34:56Z" (exact, in UTC); empty for none.
QByteArray formatTime(const RemoteDate &date)
{
    if (!date.day.isValid())
        return {};
    QByteArray text = date.day.toString(Qt::ISODate).toLatin1();
    if (date.time.isValid())
        text += 'T' + date.time.toString(date.exact ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm")).toLatin1();
    if (date.exact)
        text += 'Z';
    return text;
}

RemoteDate parseTime(const QByteArray &text)
{
    RemoteDate date;
    date.exact = text.endsWith('Z');
    const QByteArray body = date.exact ? text.chopped(1) : text;
    const qsizetype split = body.indexOf('T');
    date.day = QDate::fromString(QString::fromLatin1(split < 0 ? body : body.left(split)), Qt::ISODate);
    if (split >= 0)
        date.time = QTime::fromString(QString::fromLatin1(body.mid(split + 1)), Qt::ISODate);
    if (!date.day.isValid() || (split >= 0 && !date.time.isValid()))
        return {};
    return date;
}

// The form the second manifest kept: the shown date, a blank and the minute, or the day alone.
RemoteDate parseShownTime(const QString &text)
{
    const QStringList parts = text.split(u' ');
    RemoteDate date{QDate::fromString(parts.at(0), DateFormat::kShortDate), QTime()};
    if (parts.size() == 2)
        date.time = QTime::fromString(parts.at(1), QStringLiteral("HH:mm"));
    if (!date.day.isValid() || parts.size() > 2 || (parts.size() == 2 && !date.time.isValid()))
        return {};
    return date;
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
    m_records.clear();
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
    // Written whole beside the file, under a name of this write's own, then renamed over it:
    // never half-written, even when the program is killed in between, and never mixed with
    // another writer's bytes.
    QTemporaryFile file(path + QStringLiteral(".XXXXXX.part"));
    const QByteArray bytes = format();
    if (!file.open() || !file.setPermissions(ownerOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw UserError(QStringLiteral("ファイル %1 を作成できません").arg(path));
    const QString part = file.fileName();
    file.setAutoRemove(false);
    file.close();
    if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(part);
        throw UserError(QStringLiteral("ファイル %1 を作成できません").arg(path));
    }
}

qsizetype PublishManifest::folderCount() const
{
    QSet<QByteArray> folders;
    for (const auto &[path, record] : m_records)
        folders.insert(path.left(std::max<qsizetype>(path.lastIndexOf('/'), 0)));
    return folders.size();
}

const PublishManifest::Entry *PublishManifest::find(const QByteArray &path) const
{
    const auto it = m_records.find(path);
    return it == m_records.cend() ? nullptr : &it->second.entry;
}

bool PublishManifest::holdsBelow(const QByteArray &folder) const
{
    const QByteArray prefix = folder + '/';
    const auto it = m_records.lower_bound(prefix);
    return it != m_records.cend() && it->first.startsWith(prefix);
}

QByteArray PublishManifest::format() const
{
    qsizetype length = kHeader.size() + 1;
    for (const auto &[path, record] : m_records) {
        if (record.line.isEmpty()) {
            const Entry &entry = record.entry;
            // Names are any bytes and times hold a blank: both go percent-encoded.
            record.line = hexHash(entry.hash) + '\t' + QByteArray::number(entry.remoteSize) + '\t'
                + formatTime(entry.remoteTime) + '\t' + formatStamp(entry.local) + '\t' + path.toPercentEncoding("/")
                + '\n';
        }
        length += record.line.size();
    }
    QByteArray text;
    text.reserve(length);
    text += kHeader + '\n';
    if (m_newFileMode)
        text += kModeKey + '\t' + QByteArray::number(*m_newFileMode, 8) + '\n';
    for (const auto &[path, record] : m_records)
        text += record.line;
    return text;
}

PublishManifest PublishManifest::parse(const QByteArray &bytes)
{
    PublishManifest manifest;
    const QList<QByteArray> lines = bytes.split('\n');
    const QByteArray header = lines.isEmpty() ? QByteArray() : lines.constFirst();
    if (header != kHeader && header != kHeaderWithShownTimes && header != kHeaderWithoutStamps)
        return manifest;
    const qsizetype fieldCount = header == kHeaderWithoutStamps ? 4 : 5;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split('\t');
        if (i == 1 && header == kHeader && fields.size() == 2 && fields.constFirst() == kModeKey) {
            bool read = false;
            const int mode = fields.constLast().toInt(&read, 8);
            if (read && mode >= 0 && mode <= 07777)
                manifest.m_newFileMode = mode;
            continue;
        }
        if (fields.size() != fieldCount)
            continue;
        bool hashRead = false;
        bool sizeRead = false;
        Entry entry;
        entry.hash = fields.at(0).toULongLong(&hashRead, 16);
        entry.remoteSize = fields.at(1).toLongLong(&sizeRead);
        entry.remoteTime = header == kHeader
            ? parseTime(fields.at(2))
            : parseShownTime(QString::fromUtf8(QByteArray::fromPercentEncoding(fields.at(2))));
        if (fieldCount == 5)
            entry.local = parseStamp(fields.at(3));
        const QByteArray path = QByteArray::fromPercentEncoding(fields.constLast());
        if (hashRead && sizeRead && entry.remoteSize >= 0 && !path.isEmpty())
            manifest.set(path, entry);
    }
    return manifest;
}
