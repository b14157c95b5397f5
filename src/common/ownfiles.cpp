#include "common/ownfiles.h"

#include "common/datafolder.h"
#include "common/previewcopyrecord.h"

namespace {

const QString kPreviewNameFormat = QStringLiteral("HH_mm_ss'.htm'");
const QString kPreviewSuffix = QStringLiteral(".htm");
constexpr qsizetype kPreviewNameLength = 12; // 13_05_22.htm

} // namespace

namespace OwnFiles {

QString previewName(const QTime &time)
{
    return time.toString(kPreviewNameFormat);
}

QTime previewNameTime(const QString &fileName)
{
    // Most names fail the length alone, before the slower parse.
    if (fileName.size() != kPreviewNameLength || !fileName.endsWith(kPreviewSuffix))
        return {};
    return QTime::fromString(fileName, kPreviewNameFormat);
}

QString recordFolder()
{
    return DataFolder::filePath(PreviewCopyRecord::kFolderName);
}

bool isPreviewCopy(const QString &path)
{
    if (!previewNameTime(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1)).isValid())
        return false;
    return PreviewCopyRecord::holds(recordFolder(), path);
}

} // namespace OwnFiles
