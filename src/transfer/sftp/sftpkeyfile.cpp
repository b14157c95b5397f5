#include "transfer/sftp/sftpkeyfile.h"

#include <QFile>

#include <libssh/libssh.h>

namespace SftpKeyFile {

namespace {

// libssh asks for the passphrase only when the key is locked; refusing stops the reading.
int refuse(const char *, char *, size_t, int, int, void *asked)
{
    *static_cast<bool *>(asked) = true;
    return -1;
}

} // namespace

bool needsPassphrase(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    bool asked = false;
    ssh_key key = nullptr;
    const int read = ssh_pki_import_privkey_file(name.constData(), nullptr, refuse, &asked, &key);
    if (read == SSH_OK)
        ssh_key_free(key);
    return asked;
}

bool opensWith(const QString &path, const QString &passphrase)
{
    const QByteArray name = QFile::encodeName(path);
    const QByteArray secret = passphrase.toUtf8();
    ssh_key key = nullptr;
    const int read = ssh_pki_import_privkey_file(name.constData(), secret.constData(), nullptr, nullptr, &key);
    if (read != SSH_OK)
        return false;
    ssh_key_free(key);
    return true;
}

} // namespace SftpKeyFile
