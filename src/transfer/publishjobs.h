#pragma once

#include "transfer/publishplan.h"
#include "transfer/transferjobs.h"
#include "workspace/siteexclusions.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <memory>

class FtpJobContext;
class PublishLock;

// The server side of 更新分を公開, run on the session's worker thread: reading both trees into a
// plan, settling files of the same size by their content, and carrying out what the user
// ticked. The window asks and shows; the benchmark runs the same functions headless.
namespace PublishJobs {

// Where a site is published from and to.
struct Site
{
    QString host;
    QString user;
    QString localFolder;         // the site's root on this computer
    QString remoteFolder;        // as the user set it; empty: the current remote folder
    SiteExclusions exclusions{}; // the program's own files alone, unless the site says more
};

// A plan with what carrying it out needs.
struct Scan
{
    PublishPlan::Plan plan;
    QByteArray remoteRoot; // as PWD named it
    QByteArray localRoot;  // in the file system's bytes, no trailing "/"
    QString manifestPath;
    // Held from the plan to the publish's end: no other publish of the site meanwhile.
    std::shared_ptr<const PublishLock> lock;
};

// Lists the remote tree (from the site's remote folder, returning to the current one after;
// its folders over several connections where there are many, PublishListings),
// walks and hashes the local one against the site's manifest. Takes the site's publish lock
// first: another window's publish of the site makes it throw UserError. Records, too, the times
// of files the last publish sent but could not list (it was stopped, or lost its connection).
Scan scan(FtpJobContext &context, const Site &site);

// Downloads each file of the same size never published from here and compares it with the
// local one: different content is changed, the same unchanged.
void compareSameSize(FtpJobContext &context, Scan &scan);

// Carries out the ticked items: missing folders made first, then each file as PublishUploader
// sends it, over several connections where there are files enough (PublishSending) (under a temporary name, renamed over the old one with the old one's mode; what the
// server refuses of that goes under the file's own name, and the summary's notes say so), then
// the deletions. The manifest is written after every file, and once more when a folder's
// listing gave the times and modes of the files just sent; a publish that stops (中止, a
// failure) lists the folder under way before it ends. Unchanged files the manifest did not know
// yet are recorded first, so the next plan knows them. Goes on past a failing file; stops when
// the connection is lost.
TransferJobs::Summary publish(FtpJobContext &context, const Scan &scan);

} // namespace PublishJobs

Q_DECLARE_METATYPE(PublishJobs::Scan)
