#include "authoring/siteimagecopy.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kImagesFolder = QStringLiteral("images");
// Far more pictures of one name than any folder holds; beyond it something else is wrong.
constexpr int kMostNumberedNames = 1000;

// The name a copy takes on its numberth try: the picture's own name first.
QString numberedName(const QFileInfo &image, int number)
{
    if (number == 1)
        return image.fileName();
    const QString suffix = image.suffix();
    const QString base = suffix.isEmpty() ? image.fileName() : image.completeBaseName();
    return base + QStringLiteral("-%1").arg(number) + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

bool holdsSameBytes(const QFileInfo &file, const QByteArray &bytes)
{
    return file.isFile() && file.size() == bytes.size()
        && RegularFile::readAll(file.absoluteFilePath(), RegularFile::kDocumentLimit) == bytes;
}

} // namespace

namespace SiteImageCopy {

QString targetFolder(const QString &pageFolder)
{
    const QString images = QDir(pageFolder).filePath(kImagesFolder);
    return QFileInfo(images).isDir() ? images : pageFolder;
}

QString copy(const QString &image, const QString &folder)
{
    const QByteArray bytes = RegularFile::readAll(image, RegularFile::kDocumentLimit);
    const QFileInfo source(image);
    for (int number = 1; number <= kMostNumberedNames; ++number) {
        const QFileInfo target(QDir(folder).filePath(numberedName(source, number)));
        if (!target.exists() && !target.isSymLink()) {
            AtomicFile::write(target.absoluteFilePath(), bytes);
            return target.absoluteFilePath();
        }
        if (holdsSameBytes(target, bytes))
            return target.absoluteFilePath();
    }
    throw UserError(QStringLiteral("ファイル %1 を作成できません").arg(QDir(folder).filePath(source.fileName())));
}

} // namespace SiteImageCopy
