#include "transfer/sentfilerecorder.h"

#include "transfer/permissionbits.h"
#include "transfer/publishmanifest.h"
#include "transfer/remotefiles.h"
#include "transfer/remotenames.h"
#include "transfer/transferjobs.h"

#include <QHash>

namespace {

std::string bytes(const QByteArray &array)
{
    return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

} // namespace

SentFileRecorder::SentFileRecorder(RemoteFiles &files,
                                   PublishUploader &uploader,
                                   PublishManifest &manifest,
                                   QByteArray remoteRoot)
    : m_files(files), m_uploader(uploader), m_manifest(manifest), m_root(std::move(remoteRoot))
{
    if (!m_root.endsWith('/'))
        m_root += '/';
}

void SentFileRecorder::startFolder(const QByteArray &folder)
{
    m_folder = folder;
    m_unrecorded.clear();
}

void SentFileRecorder::sent(const QByteArray &remote, std::optional<int> oldMode, PublishUploader::Sent how)
{
    m_unrecorded.append({remote, oldMode, how});
}

QStringList SentFileRecorder::record()
{
    QStringList unrestored;
    if (m_unrecorded.isEmpty())
        return unrestored;
    const QHash<QByteArray, RemoteItem> listed = storedOrListed();
    const QList<Unrecorded> files = std::exchange(m_unrecorded, {});
    for (const Unrecorded &file : files) {
        const auto item = listed.constFind(file.path);
        const PublishManifest::Entry *entry = m_manifest.find(file.path);
        if (item == listed.cend() || !entry)
            continue; // a name the listing hides: the size alone tells the next plan
        m_manifest.set(file.path, {entry->hash, item->size, item->date, entry->local});
        const std::optional<int> mode = PermissionBits::modeOf(item->attributes);
        if (!mode)
            continue;
        if (file.how.fresh && !file.how.modeSet)
            m_uploader.learnNewFileMode(*mode);
        if (file.oldMode && *mode != *file.oldMode && !m_uploader.setMode(file.path, *file.oldMode))
            unrestored.append(TransferJobs::skippedEntry(
                RemoteNames::decode(file.path),
                QStringLiteral("パーミションを %1 から %2 に戻せませんでした")
                    .arg(PermissionBits::octal(*mode), PermissionBits::octal(*file.oldMode))));
    }
    return unrestored;
}

QHash<QByteArray, RemoteItem> SentFileRecorder::storedOrListed() const
{
    QHash<QByteArray, RemoteItem> files;
    for (const Unrecorded &file : m_unrecorded) {
        const std::optional<RemoteItem> stored = m_files.storedAs(bytes(m_root + file.path));
        if (!stored)
            break;
        files.insert(file.path, *stored);
    }
    if (files.size() == m_unrecorded.size())
        return files; // each file as its store saw it: no listing needed
    files.clear();
    const QByteArray prefix = m_folder.isEmpty() ? QByteArray() : m_folder + '/';
    for (const RemoteItem &item : m_files.listFully(bytes(m_root + prefix))) {
        if (!item.folder)
            files.insert(prefix + item.name, item);
    }
    return files;
}

void SentFileRecorder::recordTimes()
{
    const QList<Unrecorded> files = std::exchange(m_unrecorded, {});
    for (const Unrecorded &file : files) {
        const PublishManifest::Entry *entry = m_manifest.find(file.path);
        if (!entry)
            continue;
        if (const std::optional<RemoteDate> time = m_files.exactTime(bytes(m_root + file.path)))
            m_manifest.set(file.path, {entry->hash, entry->remoteSize, *time, entry->local});
    }
}
