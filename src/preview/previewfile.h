#pragma once

#include <QString>
#include <QTime>

// The preview file: its name, made once per run from the clock (13:05:22 gives 13_05_22.htm),
// and the folder it is written to.
namespace PreviewFile {

QString makeName(const QTime &time);

// The folder a render writes to, ending in "/": the preview folder already chosen (the open
// document's), else the current folder, else the program's own folder when the current one
// cannot be determined (it was deleted, for instance). Empty arguments mean "unknown".
QString folderFor(const QString &previewDir, const QString &currentFolder, const QString &executableFolder);

} // namespace PreviewFile
