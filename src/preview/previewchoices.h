#pragma once

#include <QByteArray>
#include <QString>

// The preview's choices (自動反映, the width it shows pages at), one line each in a small file of
// their own in the data folder beside window.ini. Each choice is read and written by its key
// alone, so writing one keeps the others.
namespace PreviewChoices {

inline const QString kFileName = QStringLiteral("preview.ini");

// The value written for the key, trimmed; empty when the text has none.
QByteArray value(const QByteArray &text, const QByteArray &key);
// The text with the key's line set to the value (added when missing), under the file's section.
QByteArray withValue(const QByteArray &text, const QByteArray &key, const QByteArray &value);

// The file's text; empty when it is missing, unreadable or too long to be one of ours.
QByteArray read(const QString &path);
// Sets one key in the file, replacing it atomically; throws UserError when it cannot be written.
void write(const QString &path, const QByteArray &key, const QByteArray &value);

} // namespace PreviewChoices
