#pragma once

#include <QString>
#include <QTime>

// The preview file's name is made once per run from the clock: 13:05:22 gives 13_05_22.htm.
namespace PreviewFile {

QString makeName(const QTime &time);

} // namespace PreviewFile
