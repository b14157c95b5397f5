#pragma once

#include "transfer/publishuploader.h"
#include "transfer/remoteitem.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <optional>

class RemoteFiles;
class PublishManifest;

// Records in the manifest what a publish sent, folder by folder: once a folder's files are up,
// its listing gives each its size and time as the server keeps them, and shows its mode. A
// file that came out with another mode than the old file had gets the old one back, and a new
// file shows which mode the server gives new files. Where the listing cannot be read, MDTM
// gives the times. Refers to the listing, the uploader and the manifest.
class SentFileRecorder
{
public:
    SentFileRecorder(RemoteFiles &files, PublishUploader &uploader, PublishManifest &manifest, QByteArray remoteRoot);

    // The folder of the files sent since the last record ("" for the root).
    const QByteArray &folder() const { return m_folder; }
    // Files from here on go to another folder; those of the last one are forgotten unrecorded.
    void startFolder(const QByteArray &folder);
    void sent(const QByteArray &remote, std::optional<int> oldMode, PublishUploader::Sent how);
    bool hasUnrecorded() const { return !m_unrecorded.isEmpty(); }

    // A file sent and not yet recorded, for a recorder on another connection to take over.
    struct Unrecorded
    {
        QByteArray path;
        std::optional<int> oldMode;
        PublishUploader::Sent how;
    };
    const QList<Unrecorded> &unrecorded() const { return m_unrecorded; }

    // Records the files as the server keeps them (where the session saw each one stored, from
    // that; else from a listing of the folder); the result names the files whose old mode could
    // not be set back ("name（reason）"). Throws as the listing does, the files then still
    // unrecorded.
    QStringList record();
    // The times alone, by MDTM, after the listing failed. Throws only when the connection is
    // lost.
    void recordTimes();

private:
    // The unrecorded files as the server keeps them: as their stores saw them where each one
    // did, else from a listing of the folder (which throws as listings do).
    QHash<QByteArray, RemoteItem> storedOrListed() const;

    RemoteFiles &m_files;
    PublishUploader &m_uploader;
    PublishManifest &m_manifest;
    QByteArray m_root; // ends in "/"
    QByteArray m_folder;
    QList<Unrecorded> m_unrecorded;
};
