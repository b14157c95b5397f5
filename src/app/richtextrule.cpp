#include "app/richtextrule.h"

#include <QFileInfo>

namespace RichTextRule {

bool writesRichText(const QString &path)
{
    // The extension is what follows the last dot of the file name, not of a folder's name.
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.mid(dot) == QLatin1String(".rtf");
}

} // namespace RichTextRule
