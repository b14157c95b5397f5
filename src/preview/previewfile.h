#pragma once

#include <QString>
#include <QTime>

struct PreviewSession;

// The preview file: its name, made once per run from the clock (13:05:22 gives 13_05_22.htm),
// the folder it is written to, and its lifetime. A file of the user's that happens to carry the
// name is never written over nor deleted: only the file this run wrote itself is. A run has one
// preview file at a time: when the preview moves to another folder the old one goes, and each
// is on the session's record of preview copies from before it is written until it is deleted.
namespace PreviewFile {

QString makeName(const QTime &time);

// The folder a render writes to, ending in "/": the preview folder already chosen (the open
// document's), else the current folder, else the program's own folder when the current one
// cannot be determined (it was deleted, for instance). Empty arguments mean "unknown".
QString folderFor(const QString &previewDir, const QString &currentFolder, const QString &executableFolder);

// name when folder holds no such file, else the next later second's name in the same pattern
// that is free (13_05_22.htm taken gives 13_05_23.htm, past midnight 00_00_00.htm). A name
// outside the pattern gets a number instead (page.htm gives page_1.htm). Throws UserError when
// every name is taken.
QString freeName(const QString &folder, const QString &name);

// The path the preview is written to in the session's preview folder, recorded as this run's. The
// run's own earlier preview there is written over, one elsewhere is deleted; when another file
// holds the name, the run moves on to a free name and keeps it.
QString claim(PreviewSession &session);

// Writes bytes to the claimed path atomically, on the session's record first. Returns the path;
// throws UserError when the file cannot be written.
QString write(PreviewSession &session, const QByteArray &bytes);

// Deletes the preview file this run wrote, when it is still there, and forgets it.
void remove(PreviewSession &session);

} // namespace PreviewFile
