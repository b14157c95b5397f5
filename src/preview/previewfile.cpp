#include "preview/previewfile.h"

#include "common/atomicfile.h"
#include "common/ownfiles.h"
#include "common/previewcopyrecord.h"
#include "common/usererror.h"
#include "preview/previewsession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kSecondsPerDay = 24 * 60 * 60;
constexpr int kNumberedTries = 10000;

bool taken(const QString &folder, const QString &name)
{
    // A dangling link or a folder of that name is just as much someone else's.
    const QFileInfo info(QDir(folder).filePath(name));
    return info.exists() || info.isSymLink();
}

} // namespace

namespace PreviewFile {

QString makeName(const QTime &time)
{
    return OwnFiles::previewName(time);
}

QString folderFor(const QString &previewDir, const QString &currentFolder, const QString &executableFolder)
{
    QString folder = previewDir;
    if (folder.isEmpty())
        folder = currentFolder;
    if (folder.isEmpty())
        folder = executableFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString freeName(const QString &folder, const QString &name)
{
    if (!taken(folder, name))
        return name;
    const QTime time = OwnFiles::previewNameTime(name);
    if (time.isValid()) {
        for (int seconds = 1; seconds < kSecondsPerDay; ++seconds) {
            const QString candidate = makeName(time.addSecs(seconds));
            if (!taken(folder, candidate))
                return candidate;
        }
    } else {
        const QFileInfo info(name);
        const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
        for (int number = 1; number <= kNumberedTries; ++number) {
            const QString candidate = info.completeBaseName() + QStringLiteral("_%1").arg(number) + suffix;
            if (!taken(folder, candidate))
                return candidate;
        }
    }
    throw UserError(
        QStringLiteral("フォルダ %1 にプレビュー用のファイル名が空いていません").arg(QDir::toNativeSeparators(folder)));
}

QString claim(PreviewSession &session)
{
    const QString folder = session.previewDir.isEmpty() ? QDir::currentPath() + QLatin1Char('/') : session.previewDir;
    if (folder + session.previewName != session.previewWritten) {
        // The preview moves (another document, another folder): the page it showed is no one's.
        remove(session);
        session.previewName = freeName(folder, session.previewName);
    }
    session.previewWritten = folder + session.previewName;
    return session.previewWritten;
}

QString write(PreviewSession &session, const QByteArray &bytes)
{
    const QString path = claim(session);
    // On record before it is on disk: a run killed in between leaves a record of a file that
    // is not there, never a file that no record knows.
    if (session.copies)
        session.copies->writing(path, bytes);
    AtomicFile::write(path, bytes);
    return path;
}

void remove(PreviewSession &session)
{
    if (session.previewWritten.isEmpty())
        return;
    const QFileInfo info(session.previewWritten);
    if (info.exists() && !info.isDir())
        QFile::remove(session.previewWritten);
    // One that could not be deleted stays on record, for the end of the run or the next start.
    if (session.copies && !QFileInfo::exists(session.previewWritten))
        session.copies->removed(session.previewWritten);
    session.previewWritten.clear();
}

} // namespace PreviewFile
