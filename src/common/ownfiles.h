#pragma once

#include <QString>
#include <QTime>

// The files the program itself leaves in the user's folders, which are never the user's pages:
// the preview copies, written beside the document so that its relative links work. Their names
// and the one question the file transfers ask about a local file.
namespace OwnFiles {

// The name of a run's preview copy: the time of day the run started, 13:05:22 giving
// 13_05_22.htm (a later second where that name is taken).
QString previewName(const QTime &time);
// The time a preview copy's name stands for; an invalid time for any other name.
QTime previewNameTime(const QString &fileName);

// Where the runs keep their records of the preview copies they wrote: in the data folder.
QString recordFolder();

// Whether the local file at path is a preview copy the program wrote: one this process has
// written and not deleted, or one on the record of another run (still going, or killed before
// it could delete it) that is still exactly what that run wrote. A file of the user's under
// such a name is none. Cheap for every other name, so a walk may ask it of every file; safe
// from any thread.
bool isPreviewCopy(const QString &path);

} // namespace OwnFiles
