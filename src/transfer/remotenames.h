#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// How remote names, which are bytes, meet the screen: shown as UTF-8 when they are valid
// UTF-8, else as CP932 (local names are shown by the same rule); a name the user types goes
// to the server in the encoding the folder's own names use.
namespace RemoteNames {

QString decode(const QByteArray &bytes);

// CP932 when one of the folder's names is CP932 (non-ASCII and not valid UTF-8), else UTF-8.
// Throws UserError when CP932 is meant but cannot hold the name.
QByteArray encodeLike(const QString &name, const std::vector<QByteArray> &folderNames);

// The remote name of a local name (the file system's bytes): a name in valid UTF-8 is text and
// goes as encodeLike() sends it; any other name goes as the bytes it is (CP932 from Windows,
// as a CP932 server wants it), never changed or dropped. Throws UserError as encodeLike().
QByteArray encodeLocal(const QByteArray &localName, const std::vector<QByteArray> &folderNames);

} // namespace RemoteNames
