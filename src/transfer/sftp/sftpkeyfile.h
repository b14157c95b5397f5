#pragma once

#include <QString>

// What the program needs to know about a private key file before it logs in with it: whether
// the key is locked by a passphrase, so the window can ask for one before the connection starts
// rather than fail on the worker thread.
namespace SftpKeyFile {

// True when the file holds a private key libssh can read only with a passphrase; false for an
// unlocked key and for a file that is missing or no key at all (the login then says why).
bool needsPassphrase(const QString &path);
// True when the passphrase unlocks the key, so a wrong one is told before any connection and a
// kept one that no longer fits is not tried on the server.
bool opensWith(const QString &path, const QString &passphrase);

} // namespace SftpKeyFile
