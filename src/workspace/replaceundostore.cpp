#include "workspace/replaceundostore.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

const QByteArray kMagic("qzweb-site-replace 2");
// A file's old bytes under a second name, its number in the manifest.
const QString kLinkSuffix = QStringLiteral(".orig");
const QString kManifest = QStringLiteral("manifest");
const QString kOriginals = QStringLiteral("originals");
// Every page of a large site at its largest; far beyond what any replace keeps.
constexpr qint64 kOriginalsLimit = qint64(4) * 1024 * 1024 * 1024;

QByteArray fingerprint(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray fileFingerprint(const QString &path)
{
    try {
        return fingerprint(RegularFile::readAll(path, RegularFile::kDocumentLimit));
    } catch (const UserError &) {
        return {};
    }
}

// Whether the file holds exactly these bytes; a second name of a file that changed since it was
// read is dropped, and the bytes are kept instead.
bool holds(const QByteArray &linked, const QByteArray &bytes)
{
    const QString path = QFile::decodeName(linked);
    try {
        if (RegularFile::readAll(path, RegularFile::kDocumentLimit) == bytes)
            return true;
    } catch (const UserError &) {
    }
    QFile::remove(path);
    return false;
}

} // namespace

ReplaceUndoStore::ReplaceUndoStore(QString folder) : m_folder(std::move(folder))
{}

void ReplaceUndoStore::keep(const QList<Copy> &copies, const QDateTime &when)
{
    // The old manifest goes first: it must never name the new copies.
    drop();
    if (!QDir().mkpath(m_folder))
        throw UserError(QStringLiteral("フォルダ %1 を作成できません").arg(m_folder));
    const QDir folder(m_folder);
    QByteArray originals;
    QByteArray manifest = kMagic + '\n' + when.toUTC().toString(Qt::ISODate).toLatin1() + '\n';
    for (qsizetype i = 0; i < copies.size(); ++i) {
        const Copy &copy = copies.at(i);
        // The file's own bytes stay where they are: the replace writes a new file and renames it
        // over the old one, so a second name for the old one keeps it whole at no cost. Where the
        // data folder is on another disk, a copy of the bytes is kept instead.
        const QByteArray linked = QFile::encodeName(folder.filePath(QString::number(i) + kLinkSuffix));
        QByteArray place;
        if (::link(QFile::encodeName(copy.path).constData(), linked.constData()) == 0 && holds(linked, copy.before)) {
            place = "L " + QByteArray::number(i);
        } else {
            place = "B " + QByteArray::number(originals.size());
            originals += copy.before;
        }
        manifest += place + ' ' + QByteArray::number(copy.before.size()) + ' ' + fingerprint(copy.before) + ' '
            + fingerprint(copy.after) + ' ' + QFile::encodeName(copy.path).toPercentEncoding("/") + '\n';
    }
    if (!originals.isEmpty())
        AtomicFile::write(folder.filePath(kOriginals), originals, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    AtomicFile::write(folder.filePath(kManifest), manifest, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

bool ReplaceUndoStore::readManifest(QList<Entry> *entries, QDateTime *when) const
{
    QByteArray bytes;
    try {
        bytes = RegularFile::readAll(QDir(m_folder).filePath(kManifest), RegularFile::kListFileLimit);
    } catch (const UserError &) {
        return false;
    }
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 2 || lines.at(0) != kMagic)
        return false;
    *when = QDateTime::fromString(QString::fromLatin1(lines.at(1)), Qt::ISODate);
    if (!when->isValid())
        return false;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines.at(i).isEmpty())
            continue;
        const QList<QByteArray> fields = lines.at(i).split(' ');
        bool offsetRead = false;
        bool sizeRead = false;
        Entry entry;
        if (fields.size() == 6 && (fields.at(0) == "L" || fields.at(0) == "B")) {
            entry.linked = fields.at(0) == "L";
            entry.offset = fields.at(1).toLongLong(&offsetRead);
            entry.size = fields.at(2).toLongLong(&sizeRead);
            entry.beforeHash = fields.at(3);
            entry.afterHash = fields.at(4);
            entry.path = QFile::decodeName(QByteArray::fromPercentEncoding(fields.at(5)));
        }
        if (!offsetRead || !sizeRead || entry.offset < 0 || entry.size < 0 || entry.path.isEmpty())
            return false;
        entries->append(entry);
    }
    return true;
}

bool ReplaceUndoStore::holdsCopies(const QDateTime &now)
{
    QList<Entry> entries;
    QDateTime when;
    if (!readManifest(&entries, &when))
        return false;
    if (when.daysTo(now) >= kKeptDays) {
        drop();
        return false;
    }
    return true;
}

ReplaceUndoStore::Outcome ReplaceUndoStore::restore(const Writer &write)
{
    Outcome outcome;
    QList<Entry> entries;
    QDateTime when;
    if (!readManifest(&entries, &when))
        return outcome;
    const QDir folder(m_folder);
    QByteArray originals;
    try {
        if (QFile::exists(folder.filePath(kOriginals)))
            originals = RegularFile::readAll(folder.filePath(kOriginals), kOriginalsLimit);
    } catch (const UserError &error) {
        for (const Entry &entry : entries)
            outcome.failed.append(entry.path + QStringLiteral(": ") + error.text());
        return outcome;
    }
    QList<BatchWrite::File> files;
    for (const Entry &entry : entries) {
        QByteArray before;
        if (entry.linked) {
            try {
                before = RegularFile::readAll(folder.filePath(QString::number(entry.offset) + kLinkSuffix),
                                              RegularFile::kDocumentLimit);
            } catch (const UserError &) {
            }
        } else if (entry.offset + entry.size <= originals.size()) {
            before = originals.mid(entry.offset, entry.size);
        }
        if (before.size() != entry.size || fingerprint(before) != entry.beforeHash) {
            outcome.failed.append(entry.path + QStringLiteral(": 元に戻すためのコピーが壊れています"));
            continue;
        }
        const QByteArray now = fileFingerprint(entry.path);
        if (now == entry.beforeHash)
            outcome.unchanged.append(entry.path);
        else if (now != entry.afterHash)
            outcome.changedSince.append(entry.path);
        else
            files.append({entry.path, before});
    }
    const BatchWrite::Outcome written = write(files);
    outcome.restored = written.written;
    outcome.failed += written.failed;
    // A file that could not be written back keeps its copy for another try; the files put back
    // then count as unchanged.
    if (outcome.failed.isEmpty())
        drop();
    return outcome;
}

void ReplaceUndoStore::drop()
{
    const QDir folder(m_folder);
    QFile::remove(folder.filePath(kManifest));
    QFile::remove(folder.filePath(kOriginals));
    for (const QString &name : folder.entryList({QLatin1Char('*') + kLinkSuffix}, QDir::Files))
        QFile::remove(folder.filePath(name));
}
