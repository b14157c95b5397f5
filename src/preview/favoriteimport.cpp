#include "preview/favoriteimport.h"

#include "common/linefile.h"
#include "common/regularfile.h"
#include "common/textcodec.h"
#include "common/usererror.h"
#include "preview/webliststore.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace FavoriteImport {

namespace {

// A shortcut is a few hundred bytes; the first two lines of anything else are looked for in
// its beginning only, so a large picture among the favourites is not read whole.
constexpr qint64 kHeadBytes = 64 * 1024;

QString readHead(const QString &path)
{
    return TextCodec::decodeListFile(RegularFile::readStart(path, kHeadBytes));
}

// Up to budget + 1 entries of a folder, by name with letter case aside, as the Windows file
// system lists them. Read one by one, so a folder of millions of entries costs no more than the
// walk is willing to look at.
QFileInfoList entriesOf(const QString &folder, int budget)
{
    if (!QFileInfo(folder).isReadable() || !QFileInfo(folder).isExecutable())
        throw UserError(QStringLiteral("フォルダ %1 は開けません").arg(folder));
    QFileInfoList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext() && entries.size() <= budget)
        entries.append(it.nextFileInfo());
    std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const int folded = a.fileName().compare(b.fileName(), Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.fileName() < b.fileName();
    });
    return entries;
}

bool isInside(const QString &canonicalRoot, const QString &canonical)
{
    const QString prefix = canonicalRoot.endsWith(QLatin1Char('/')) ? canonicalRoot : canonicalRoot + QLatin1Char('/');
    return canonical.startsWith(prefix);
}

// Whether the walk passes an entry over. A symbolic link to a folder is never entered: one that
// stays inside the tree leads to a folder the walk reaches anyway, and one that leads out (to
// "/", say, with /proc below it) would have it read what is not the user's favourites. A link to
// a file is read only when the file is inside the tree; one that leads nowhere is kept, so that
// reading it reports it by name. Pipes, devices and sockets have no text and could block.
bool passedOver(const QFileInfo &entry, const QString &canonicalRoot)
{
    if (entry.isSymLink()) {
        if (entry.isDir())
            return true;
        const QString target = entry.canonicalFilePath();
        if (!target.isEmpty() && !isInside(canonicalRoot, target))
            return true;
    }
    return entry.exists() && !entry.isDir() && !entry.isFile();
}

} // namespace

QString chooseFolder(const QString &variable, const QString &homeFolder)
{
    if (!variable.isEmpty())
        return variable;
    return QDir(homeFolder).filePath(QStringLiteral("Favorites"));
}

QString folder()
{
    return QFileInfo(chooseFolder(qEnvironmentVariable("QZWEB_FAVORITES"), QDir::homePath())).absoluteFilePath();
}

QString categoryFor(const QString &root, const QString &folder)
{
    const QString relative = QDir(root).relativeFilePath(folder);
    if (relative.isEmpty() || relative == QLatin1String("."))
        return kRootCategory;
    return QDir::toNativeSeparators(relative);
}

QString addressOf(const QString &text)
{
    const QStringList lines = LineFile::splitLines(text);
    if (lines.size() < 2)
        return QString();
    QString address = lines.at(1);
    const qsizetype equals = address.indexOf(QLatin1Char('='));
    if (equals >= 0)
        address = address.mid(equals + 1);
    // A zero character would end the favourites file when it is read back.
    const qsizetype zero = address.indexOf(QChar(0));
    return zero >= 0 ? address.left(zero) : address;
}

Result scan(const QString &root, const Limits &limits)
{
    Result result;
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return result;
    // Categories are paths below the root, which only an absolute root gives.
    const QString top = QFileInfo(root).absoluteFilePath();
    const QString canonicalTop = QFileInfo(top).canonicalFilePath();

    struct Folder
    {
        QString path;
        int depth;
    };
    QList<Folder> pending{{top, 0}};
    int budget = limits.maxEntries;
    for (qsizetype next = 0; next < pending.size(); ++next) {
        const Folder folder = pending.at(next);
        const QString category = categoryFor(top, folder.path);
        QFileInfoList entries = entriesOf(folder.path, budget);
        if (entries.size() > budget) {
            entries.resize(budget);
            result.complete = false;
        }
        budget -= int(entries.size());
        for (const QFileInfo &entry : entries) {
            if (passedOver(entry, canonicalTop))
                continue;
            if (entry.isDir()) {
                if (folder.depth < limits.maxDepth)
                    pending.append({QDir(folder.path).filePath(entry.fileName()), folder.depth + 1});
                else
                    result.complete = false;
                continue;
            }
            const QString address = addressOf(readHead(entry.filePath()));
            result.lines.append(WebListStore::line(category, entry.fileName(), address));
        }
        if (!result.complete && budget == 0)
            break;
    }
    return result;
}

QString incompleteNotice(const Limits &limits)
{
    return QStringLiteral("お気に入りのフォルダが大きすぎるため、一部だけを取り込みました"
                          "（フォルダは %1 階層、項目は %2 個まで）。")
        .arg(limits.maxDepth)
        .arg(limits.maxEntries);
}

} // namespace FavoriteImport
