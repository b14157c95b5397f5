#include "transfer/publishsending.h"

#include "transfer/contenthash.h"
#include "transfer/ftpjobcontext.h"
#include "transfer/permissionbits.h"
#include "transfer/publishmanifest.h"
#include "transfer/publishuploader.h"
#include "transfer/remoteerrors.h"
#include "transfer/remotenames.h"
#include "transfer/sentfilerecorder.h"
#include "transfer/transferattempt.h"
#include "transfer/transferprogress.h"

#include <utility>
#include <vector>

namespace {

using PublishPlan::Item;
using TransferJobs::Attempt;
using TransferJobs::OnFailure;
using TransferJobs::Summary;
using End = PublishCrew::End;

// The files of a folder one connection takes at a time, when several share the work.
constexpr qsizetype kPartFiles = 25;

std::string bytes(const QByteArray &array)
{
    return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash);
}

} // namespace

// Files of one folder, sent by one connection at a time.
struct PublishSending::Part
{
    QByteArray folder;
    QList<Item> items;
    qsizetype next = 0; // the first not yet sent
    // Sent over a connection lost before it listed them: the next one lists them.
    QList<SentFileRecorder::Unrecorded> unrecorded;
};

// What one connection sends files with.
struct PublishSending::Station
{
    Station(RemoteFiles &remote, const QByteArray &root, PublishManifest &manifest)
        : files(remote), uploader(remote, root, manifest.newFileMode()), recorder(remote, uploader, manifest, root)
    {}

    RemoteFiles &files;
    PublishUploader uploader;
    SentFileRecorder recorder;
};

PublishSending::PublishSending(FtpJobContext &context,
                               const QByteArray &localRoot,
                               const QByteArray &remoteRoot,
                               const QString &manifestPath,
                               PublishManifest &manifest,
                               Summary &summary,
                               TransferProgress &progress)
    : m_context(context), m_localRoot(localRoot), m_remoteRoot(remoteRoot), m_manifestPath(manifestPath),
      m_manifest(manifest), m_summary(summary), m_progress(progress)
{}

PublishSending::~PublishSending() = default;

bool PublishSending::send(const QList<Item> &uploads)
{
    const int wanted = PublishCrew::wantedFor(uploads.size());
    std::vector<Part> parts;
    for (const Item &item : uploads) {
        const QByteArray folder = folderOf(item.remote);
        if (parts.empty() || parts.back().folder != folder || (wanted > 1 && parts.back().items.size() == kPartFiles))
            parts.push_back({folder, {}, 0, {}});
        parts.back().items.append(item);
    }
    PublishCrew crew(m_context, wanted);
    crew.run(static_cast<int>(parts.size()), [&](FtpJobContext &context, int index) {
        return sendPart(context, parts[static_cast<std::size_t>(index)]);
    });
    m_connectionsUsed = crew.connectionsUsed();
    return !m_stopped;
}

PublishSending::Station &PublishSending::stationFor(FtpJobContext &context)
{
    std::unique_ptr<Station> &station = m_stations[&context];
    if (!station)
        station = std::make_unique<Station>(context.files(), m_remoteRoot, m_manifest);
    return *station;
}

bool PublishSending::stopRequested()
{
    if (!m_context.stopRequested())
        return false;
    m_summary.cancelled = true;
    return true;
}

void PublishSending::recordQuietly(Station &station)
{
    // A publish that ends early still records what it sent, while the connection lets it: else
    // the next plan knows those copies by their size alone.
    try {
        try {
            m_summary.failed.append(station.recorder.record());
        } catch (const RemoteRefusal &) {
            if (station.files.isConnected())
                station.recorder.recordTimes();
        }
    } catch (const std::exception &) {
        // Lost, or stopped for good: the next publish records them from its listing.
    }
}

End PublishSending::sendPart(FtpJobContext &context, Part &part)
{
    const bool sessionsOwn = &context == &m_context;
    std::unique_lock lock(m_shared);
    Station &station = stationFor(context);
    station.recorder.startFolder(part.folder);
    for (const SentFileRecorder::Unrecorded &sent : std::exchange(part.unrecorded, {}))
        station.recorder.sent(sent.path, sent.oldMode, sent.how);
    // A step that stopped: on another connection than the session's, lost on its own, the part
    // goes on elsewhere; else the publish stops there.
    const auto stopped = [&](const Summary &step) {
        if (!sessionsOwn && !step.cancelled && !m_context.stopRequested() && !context.files().isConnected()) {
            part.unrecorded = station.recorder.unrecorded();
            return End::ConnectionLost;
        }
        m_stopped = true;
        m_summary.cancelled = m_summary.cancelled || step.cancelled;
        if (m_summary.stopError.isEmpty() && m_summary.interruptedFile.isEmpty()) {
            m_summary.stopError = step.stopError;
            m_summary.interruptedFile = step.interruptedFile;
        }
        recordQuietly(station);
        return End::StopAll;
    };
    for (; part.next < part.items.size(); ++part.next) {
        const Item &item = part.items.at(part.next);
        if (m_stopped || stopRequested()) {
            m_stopped = true;
            recordQuietly(station);
            return End::StopAll;
        }
        const QString shown = item.shownPath();
        const std::optional<int> oldMode = item.listed ? PermissionBits::modeOf(item.listed->attributes) : std::nullopt;
        const bool replacing = item.listed || m_manifest.find(item.remote);
        const RemoteFiles::Progress fileProgress = m_progress.forFile(shown);
        lock.unlock();
        const std::optional<std::uint64_t> hash = ContentHash::ofFile(m_localRoot + '/' + item.local);
        Summary step;
        PublishUploader::Sent how;
        Attempt result = Attempt::Failed;
        if (hash) {
            const RemoteFiles::Progress shared = [&](std::uint64_t done, std::uint64_t total) {
                const std::lock_guard progressLock(m_shared);
                return fileProgress(done, total);
            };
            const QString failed = shown + QStringLiteral(" をアップロードできませんでした");
            result = TransferJobs::attempt(context, step, shown, failed, OnFailure::GoOn, [&] {
                how = station.uploader.send(
                    bytes(m_localRoot + '/' + item.local), item.remote, replacing, oldMode, shared);
            });
        } else {
            step.failed.append(
                TransferJobs::skippedEntry(shown, TransferJobs::localSkipReason(FolderWalk::LocalSkip::Unreadable)));
        }
        lock.lock();
        if (result == Attempt::Stopped)
            return stopped(step);
        m_summary.failed.append(step.failed);
        if (!hash)
            continue;
        m_progress.fileDone(result == Attempt::Done ? item.size : 0);
        if (result != Attempt::Done)
            continue;
        // No time yet: the folder's listing gives it, written with the next file's record.
        m_manifest.set(item.remote, {*hash, item.size, RemoteDate(), item.stamp});
        m_manifest.write(m_manifestPath, PublishManifest::Flush::Later);
        station.recorder.sent(item.remote, oldMode, how);
        ++m_summary.files;
        m_summary.bytes += item.size;
    }
    if (!station.recorder.hasUnrecorded())
        return End::Done;
    // The part's listing, or else MDTM, gives the times of what it sent.
    const QString shown = RemoteNames::decode(part.folder);
    const QString failed = shown + QStringLiteral(" の一覧を読めませんでした");
    Summary step;
    const Attempt result = TransferJobs::attempt(
        context, step, shown, failed, OnFailure::GoOn, [&] { step.failed.append(station.recorder.record()); });
    if (result == Attempt::Failed)
        TransferJobs::attempt(context, step, shown, failed, OnFailure::GoOn, [&] { station.recorder.recordTimes(); });
    if (result == Attempt::Stopped)
        return stopped(step);
    m_summary.failed.append(step.failed);
    return End::Done;
}

std::optional<int> PublishSending::newFileMode() const
{
    std::optional<int> learnt = m_manifest.newFileMode();
    for (const auto &[context, station] : m_stations) {
        if (station->uploader.newFileMode() && (context == &m_context || !learnt))
            learnt = station->uploader.newFileMode();
    }
    return learnt;
}

QStringList PublishSending::notes() const
{
    QStringList notes;
    for (const auto &[context, station] : m_stations) {
        for (const QString &note : station->uploader.notes()) {
            if (!notes.contains(note))
                notes.append(note);
        }
    }
    return notes;
}
