#include "preview/previewfile.h"

namespace PreviewFile {

QString makeName(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss")).replace(QLatin1Char(':'), QLatin1Char('_'))
         + QStringLiteral(".htm");
}

} // namespace PreviewFile
