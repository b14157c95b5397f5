#pragma once

#include "transfer/publishcrew.h"
#include "transfer/publishplan.h"
#include "transfer/transferjobs.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <map>
#include <memory>
#include <mutex>
#include <optional>

class FtpJobContext;
class PublishManifest;
class TransferProgress;

// The uploads of a publish, folder by folder, over the session's connection and those a
// PublishCrew adds: each file as PublishUploader sends it, the manifest written after each,
// and a folder's files recorded by its listing once they are up (SentFileRecorder). A folder of
// many files goes in parts, so that several connections share it. What the connections share
// (the manifest, the summary, the progress) is theirs one at a time. A publish that stops
// records what the parts under way sent before it ends.
class PublishSending
{
public:
    PublishSending(FtpJobContext &context,
                   const QByteArray &localRoot,
                   const QByteArray &remoteRoot,
                   const QString &manifestPath,
                   PublishManifest &manifest,
                   TransferJobs::Summary &summary,
                   TransferProgress &progress);
    ~PublishSending();
    PublishSending(const PublishSending &) = delete;
    PublishSending &operator=(const PublishSending &) = delete;

    // False when the publish stopped (the user's stop, or the session's connection lost).
    bool send(const QList<PublishPlan::Item> &uploads);

    // What the connections learnt and noted, for the manifest and the summary.
    std::optional<int> newFileMode() const;
    QStringList notes() const;

    // The connections the last send() used, the session's included.
    int connectionsUsed() const { return m_connectionsUsed; }

private:
    struct Part;
    struct Station;

    Station &stationFor(FtpJobContext &context);
    PublishCrew::End sendPart(FtpJobContext &context, Part &part);
    bool stopRequested();
    void recordQuietly(Station &station);

    FtpJobContext &m_context;
    QByteArray m_localRoot;
    QByteArray m_remoteRoot;
    QString m_manifestPath;
    PublishManifest &m_manifest;
    TransferJobs::Summary &m_summary;
    TransferProgress &m_progress;
    std::mutex m_shared; // guards the manifest, the summary, the progress and the stations
    std::map<const FtpJobContext *, std::unique_ptr<Station>> m_stations;
    int m_connectionsUsed = 1;
    bool m_stopped = false;
};
