#include "preview/favoriteimport.h"

#include "common/linefile.h"
#include "common/regularfile.h"
#include "common/textcodec.h"
#include "common/usererror.h"
#include "preview/webliststore.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace FavoriteImport {

namespace {

// A shortcut is a few hundred bytes; the first two lines of anything else are looked for in
// its beginning only, so a large picture among the favourites is not read whole.
constexpr qint64 kHeadBytes = 64 * 1024;

QString readHead(const QString &path)
{
    return TextCodec::decodeListFile(RegularFile::readStart(path, kHeadBytes));
}

// A folder's entries, by name with letter case aside, as the Windows file system lists them.
QFileInfoList entriesOf(const QString &folder)
{
    const QDir dir(folder);
    if (!QFileInfo(folder).isReadable() || !QFileInfo(folder).isExecutable())
        throw UserError(QStringLiteral("フォルダ %1 は開けません").arg(folder));
    return dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDir::Name | QDir::IgnoreCase);
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
    return chooseFolder(qEnvironmentVariable("QZWEB_FAVORITES"), QDir::homePath());
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

QStringList scan(const QString &root)
{
    QStringList lines;
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return lines;

    QStringList pending{root};
    // A link back up the tree would otherwise make the walk endless.
    QSet<QString> seen{QFileInfo(root).canonicalFilePath()};
    for (qsizetype next = 0; next < pending.size(); ++next) {
        const QString folder = pending.at(next);
        const QString category = categoryFor(root, folder);
        for (const QFileInfo &entry : entriesOf(folder)) {
            if (entry.isDir()) {
                const QString canonical = entry.canonicalFilePath();
                if (!seen.contains(canonical)) {
                    seen.insert(canonical);
                    pending.append(QDir(folder).filePath(entry.fileName()));
                }
                continue;
            }
            // A pipe or a device has no text to read and could block the program forever.
            if (entry.exists() && !entry.isFile())
                continue;
            const QString address = addressOf(readHead(entry.filePath()));
            lines.append(WebListStore::line(category, entry.fileName(), address));
        }
    }
    return lines;
}

} // namespace FavoriteImport
