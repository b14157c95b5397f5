#include "preview/previewfile.h"

#include "common/mainstate.h"
#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kTimePattern = QStringLiteral("HH_mm_ss'.htm'");
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
    return time.toString(QStringLiteral("HH:mm:ss")).replace(QLatin1Char(':'), QLatin1Char('_'))
        + QStringLiteral(".htm");
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
    const QTime time = QTime::fromString(name, kTimePattern);
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

QString claim(MainState &state)
{
    const QString folder = state.previewDir.isEmpty() ? QDir::currentPath() + QLatin1Char('/') : state.previewDir;
    if (folder + state.previewName != state.previewWritten)
        state.previewName = freeName(folder, state.previewName);
    state.previewWritten = folder + state.previewName;
    return state.previewWritten;
}

void remove(MainState &state)
{
    if (state.previewWritten.isEmpty())
        return;
    const QFileInfo info(state.previewWritten);
    if (info.exists() && !info.isDir())
        QFile::remove(state.previewWritten);
    state.previewWritten.clear();
}

} // namespace PreviewFile
