#pragma once

#include "transfer/folderwalk.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

class RemoteFiles;
class FtpJobContext;

// The FTP side of the transfer window's file commands (▲, ▼, the folder transfers, deletion,
// new folders, permissions), as functions run on the session's worker thread. The window asks
// its questions before and shows the outcome after; the benchmark runs the same functions
// headless. Each stops at its first failing step by throwing; what it did before stays done.
// Between steps each checks whether the window asked it to stop.
namespace TransferJobs {

// What a command did, for the status line when it ends.
struct Summary
{
    int files = 0; // files moved or deleted
    qint64 bytes = 0;
    int folders = 0; // folders created or removed
    int deleted = 0; // files removed by a command that also sends some (a publish)
    // Entries left alone, each as "name（reason）": names that would leave the target folder,
    // symbolic links, anything not a plain file or folder.
    QStringList skipped;
    // Steps that failed while the command went on past them, each as "name（what went wrong）".
    QStringList failed;
    // The command ended before its end: the file under way then (empty between files), and
    // whether the user stopped it or else the failure that did (a lost connection). That
    // file's transfer did not complete; everything before it did.
    QString interruptedFile;
    bool cancelled = false;
    QString stopError;
    // What the user should know of how it went, though nothing failed.
    QStringList notes;
};

// A remote list item the command works on.
struct RemoteTarget
{
    QByteArray name;   // the server's bytes
    qint64 size = 0;   // as listed; a download that ends short of it fails
    bool link = false; // the listed size is the link's, not its target's
};

// ▲: each local file (names in the file system's bytes) under its own name into the current
// remote folder. folderNames are the current folder's names, which decide the encoding of the
// new names. Stops at the first failing file, naming it. The program's own preview copies stay
// behind, named as skipped.
Summary uploadFiles(FtpJobContext &context,
                    const QString &localBase,
                    const QList<QByteArray> &names,
                    const std::vector<QByteArray> &folderNames);

// ▼: each remote item into the local folder under its own name, replacing a file of that name.
// A name that cannot be a file name here (a path, "..") is skipped, and so is a local link or
// folder of that name: a download never writes through a link.
Summary downloadFiles(FtpJobContext &context, const QString &localBase, const QList<RemoteTarget> &items);

// ↑ﾌｫﾙﾀﾞｱｯﾌﾟﾛｰﾄﾞ: the local folder under its own name into the current remote folder: each
// folder is made where a listing of its parent does not show it, then every file is stored.
// Goes on past a failing folder or file and notes it; stops when the connection is lost.
// keptBack: files (full paths, as the walk reads them) the user chose not to send.
Summary uploadFolder(FtpJobContext &context,
                     const QString &localFolder,
                     const std::vector<QByteArray> &folderNames,
                     const FolderWalk::Limits &limits = {},
                     const QSet<QByteArray> &keptBack = {});

// ↓ﾌｫﾙﾀﾞﾀﾞｳﾝﾛｰﾄﾞ: the remote folder top under its own name into localBase. Never writes
// outside localBase, never into or through a symbolic link already in the target tree, never
// descends into a remote link. Goes on past a failing listing or file and notes it; stops when
// the connection is lost.
Summary downloadFolder(FtpJobContext &context,
                       const QString &localBase,
                       const QByteArray &top,
                       const FolderWalk::Limits &limits = {});

// 削除 of files: DELE each.
Summary deleteFiles(FtpJobContext &context, const QList<QByteArray> &names);

// 削除 of a folder: every file of the tree (a link as a link), then every folder, deepest last
// found first, the top one last.
Summary deleteFolder(FtpJobContext &context, const QByteArray &top, const FolderWalk::Limits &limits = {});

// Whether the folder rel ("site/img") shows as a folder in the listing of its parent.
bool remoteFolderExists(RemoteFiles &files, const QByteArray &rel);

// A remote name that names an entry of the folder listed: not empty, not "." or "..", no "/".
bool isPlainRemoteName(const QByteArray &name);
// A local file name that stays inside its folder: not empty, not "." or "..", no "/" or "\",
// no NUL.
bool isPlainLocalName(const QString &name);

// Why a local walk left an entry out, as the lists of what was skipped say it.
QString localSkipReason(FolderWalk::LocalSkip reason);
// One line of such a list, "name（reason）": an error's Japanese lead and the server's own line
// stand side by side.
QString skippedEntry(const QString &name, QString reason);

// The status text of a finished command's summary ("3 個のファイルを転送しました").
QString describeTransfer(const Summary &summary);
QString describeDeletion(const Summary &summary);

} // namespace TransferJobs

Q_DECLARE_METATYPE(TransferJobs::Summary)
