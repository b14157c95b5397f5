#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Whole-file writes with the user's failure texts. Writes go to a temporary file beside the
// target and are renamed over it only when complete, so a crash or a full disk never leaves a
// half-written file and never destroys the old one. (Reading is RegularFile's.)
namespace AtomicFile {

// Throws UserError "ファイル <path> を作成できません" (or the write failure) on failure.
// An existing file keeps its permission bits unless permissions are given.
void write(const QString &path, const QByteArray &bytes, QFileDevice::Permissions permissions = {});

} // namespace AtomicFile
