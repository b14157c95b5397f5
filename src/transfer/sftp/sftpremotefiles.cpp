#include "transfer/sftp/sftpremotefiles.h"

#include "transfer/permissionbits.h"
#include "transfer/remotenames.h"
#include "transfer/sftp/sftperror.h"
#include "transfer/sftp/sftppipeline.h"
#include "workspace/siteexclusions.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QTimeZone>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <iterator>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <map>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds pollSlice{20};
constexpr int millisecondsPerSecond = 1000;

// Text from the server's bytes (a name, a path) for a message: UTF-8 or CP932 as shown.
std::string shown(const std::string &bytes)
{
    return RemoteNames::decode(QByteArray::fromStdString(bytes)).toStdString();
}

std::string replace(std::string text, const std::string &mark, const std::string &with)
{
    const std::size_t at = text.find(mark);
    if (at != std::string::npos)
        text.replace(at, mark.size(), with);
    return text;
}

std::string nameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string parentOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

QString attributesOf(std::uint8_t type, std::uint32_t permissions)
{
    QString text(10, QLatin1Char('-'));
    if (type == SSH_FILEXFER_TYPE_DIRECTORY)
        text[0] = QLatin1Char('d');
    else if (type == SSH_FILEXFER_TYPE_SYMLINK)
        text[0] = QLatin1Char('l');
    const char *letters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit) {
        if ((permissions & (0400u >> bit)) != 0)
            text[bit + 1] = QLatin1Char(letters[bit]);
    }
    // The special bits as ls shows them.
    const auto special = [&](int at, unsigned mask, char set, char unset) {
        if ((permissions & mask) != 0)
            text[at] = QLatin1Char(text[at] == QLatin1Char('x') ? set : unset);
    };
    special(3, 04000, 's', 'S');
    special(6, 02000, 's', 'S');
    special(9, 01000, 't', 'T');
    return text;
}

QString attributesOf(const sftp_attributes_struct &attributes)
{
    return attributesOf(attributes.type, attributes.permissions);
}

// The file's type from its mode, as version 3 of the protocol gives it.
std::uint8_t typeOf(std::uint32_t permissions)
{
    switch (permissions & 0170000u) {
    case 0040000u:
        return SSH_FILEXFER_TYPE_DIRECTORY;
    case 0120000u:
        return SSH_FILEXFER_TYPE_SYMLINK;
    case 0100000u:
        return SSH_FILEXFER_TYPE_REGULAR;
    default:
        return SSH_FILEXFER_TYPE_SPECIAL;
    }
}

RemoteDate dateOf(std::uint32_t seconds);

RemoteItem itemOf(const SftpReplies::Name &name)
{
    const std::uint32_t permissions = name.permissions.value_or(0);
    const std::uint8_t type = name.permissions ? typeOf(permissions) : SSH_FILEXFER_TYPE_UNKNOWN;
    RemoteItem item;
    item.name = QByteArray::fromStdString(name.name);
    item.displayName = RemoteNames::decode(item.name);
    item.size = static_cast<qint64>(name.size.value_or(0));
    item.date = dateOf(name.modified.value_or(0));
    item.attributes = attributesOf(type, permissions);
    item.folder = type == SSH_FILEXFER_TYPE_DIRECTORY;
    return item;
}

// More entries than this in one folder is a server that never says it has told them all.
constexpr std::size_t maxFolderEntries = 2'000'000;

RemoteDate dateOf(std::uint32_t seconds)
{
    const QDateTime time = QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
    RemoteDate date;
    date.day = time.date();
    date.time = time.time();
    date.exact = true;
    return date;
}

} // namespace

SftpRemoteFiles::SftpRemoteFiles()
    : m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), m_stops(std::make_shared<Stops>())
{
    m_stops->add(m_stopper);
}

SftpRemoteFiles::SftpRemoteFiles(RemoteLogin login, const TransferTimeLimits &limits, std::shared_ptr<Stops> stops)
    : m_limits(limits), m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), m_login(std::move(login)),
      m_stops(std::move(stops)), m_first(false)
{
    m_stops->add(m_stopper);
}

SftpRemoteFiles::~SftpRemoteFiles()
{
    m_stops->remove(m_stopper);
    m_onDisconnected = nullptr;
    closeSession();
    if (m_wake >= 0)
        ::close(m_wake);
}

std::unique_ptr<RemoteFiles> SftpRemoteFiles::another()
{
    if (m_session == nullptr || !m_hostKey)
        return nullptr;
    // Only the host key this session stands on, which the user trusted for it.
    RemoteLogin login = m_login;
    login.acceptedCertificates = {QString::fromStdString(m_hostKey->fingerprint)};
    return std::unique_ptr<RemoteFiles>(new SftpRemoteFiles(std::move(login), m_limits, m_stops));
}

void SftpRemoteFiles::connectAgain()
{
    connect(m_login);
}

void SftpRemoteFiles::interrupt()
{
    if (m_first)
        m_stops->interrupt();
    else
        interruptThis();
}

void SftpRemoteFiles::interruptThis()
{
    m_interrupted.store(true, std::memory_order_release);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    // A blocking call of libssh waits on the socket alone; shutting it down ends that wait.
    const std::lock_guard lock(m_socketMutex);
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR);
}

void SftpRemoteFiles::resetInterrupt()
{
    m_stops->clear();
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(m_wake, &count, sizeof count);
    m_interrupted.store(false, std::memory_order_release);
}

void SftpRemoteFiles::checkStop() const
{
    if (m_interrupted.load(std::memory_order_acquire))
        throw SftpCancelledError();
}

template<typename Step>
int SftpRemoteFiles::awaitStep(Step step, int again, std::chrono::milliseconds limit)
{
    const Clock::time_point giveUp = Clock::now() + limit;
    for (;;) {
        checkStop();
        const int result = step();
        {
            const std::lock_guard lock(m_socketMutex);
            m_socket = ssh_get_fd(m_session);
        }
        if (result != again)
            return result;
        if (Clock::now() >= giveUp) {
            const std::string seconds = std::to_string(limit.count() / millisecondsPerSecond);
            closeSession();
            throw SftpError(
                replace(replace(replace("サーバー %1 のポート %2 から %3 秒以内に返事がありませんでした。ポートが"
                                        "閉じられているか、接続元が制限されている（海外からの接続を受け付けな"
                                        "いサーバーなど）おそれがあります。",
                                        "%1",
                                        m_host),
                                "%2",
                                std::to_string(m_port)),
                        "%3",
                        seconds),
                true);
        }
        std::vector<pollfd> waits{{m_wake, POLLIN, 0}};
        if (m_socket >= 0)
            waits.push_back({m_socket, POLLIN, 0});
        ::poll(waits.data(), waits.size(), static_cast<int>(pollSlice.count()));
    }
}

void SftpRemoteFiles::connect(const RemoteLogin &login)
{
    closeSession();
    m_hostKey.reset();
    m_stored.clear();
    m_login = login;
    m_host = login.host.toStdString();
    m_port = login.port;
    m_session = ssh_new();
    if (m_session == nullptr)
        throw SftpError("SFTP の接続を用意できませんでした。");
    const QByteArray host = login.host.toUtf8();
    const QByteArray user = login.user.toUtf8();
    unsigned int port = login.port;
    int on = 1;
    bool off = false;
    long seconds = std::max<long>(1, static_cast<long>(m_limits.reply.count() / millisecondsPerSecond));
    ssh_options_set(m_session, SSH_OPTIONS_HOST, host.constData());
    ssh_options_set(m_session, SSH_OPTIONS_PORT, &port);
    ssh_options_set(m_session, SSH_OPTIONS_USER, user.constData());
    // Without it every small packet waits for the last one's acknowledgement.
    ssh_options_set(m_session, SSH_OPTIONS_NODELAY, &on);
    ssh_options_set(m_session, SSH_OPTIONS_TIMEOUT, &seconds);
    // AES-GCM first: with the processor's AES instructions (every x86-64 and ARMv8 processor of
    // the last decade has them) it costs both ends the least time per byte; ChaCha20 and the
    // counter modes stay for servers without it.
    const char *ciphers = "aes128-gcm@openssh.com,aes256-gcm@openssh.com,chacha20-poly1305@openssh.com,"
                          "aes256-ctr,aes192-ctr,aes128-ctr";
    ssh_options_set(m_session, SSH_OPTIONS_CIPHERS_C_S, ciphers);
    ssh_options_set(m_session, SSH_OPTIONS_CIPHERS_S_C, ciphers);
    // The program checks host keys against its own store; ~/.ssh's files are not its business.
    ssh_options_set(m_session, SSH_OPTIONS_PROCESS_CONFIG, &off);
    ssh_options_set(m_session, SSH_OPTIONS_KNOWNHOSTS, "/dev/null");
    ssh_options_set(m_session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, "/dev/null");
    ssh_set_blocking(m_session, 0);
    if (awaitStep([this] { return ssh_connect(m_session); }, SSH_AGAIN, m_limits.connect) != SSH_OK) {
        const std::string detail = ssh_get_error(m_session);
        closeSession();
        if (detail.find("refused") != std::string::npos)
            throw SftpError(
                replace(replace("サーバー %1 のポート %2 は接続を受け付けませんでした（ポートが閉じています）。"
                                "接続方式とポート番号を確かめてください。",
                                "%1",
                                m_host),
                        "%2",
                        std::to_string(m_port))
                    + "\r\n" + detail,
                true);
        throw SftpError("サーバーに接続できませんでした。ホスト名とポート番号を確かめてください。\r\n" + detail, true);
    }
    if (m_onConnected)
        m_onConnected();
    checkHostKey(login);
    this->login(login);
    ssh_set_blocking(m_session, 1);
    openSftp();
    char *home = sftp_canonicalize_path(m_sftp, ".");
    m_cwd = home != nullptr ? home : "/";
    ssh_string_free_char(home);
    if (m_onLoggedIn)
        m_onLoggedIn();
}

void SftpRemoteFiles::checkHostKey(const RemoteLogin &login)
{
    ssh_key key = nullptr;
    if (ssh_get_server_publickey(m_session, &key) != SSH_OK) {
        closeSession();
        throw SftpError("サーバーの鍵（ホスト鍵）を受け取れませんでした。", true);
    }
    unsigned char *hash = nullptr;
    std::size_t length = 0;
    char *base64 = nullptr;
    ServerCertificate identity;
    if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) == 0) {
        char *fingerprint = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
        identity.fingerprint = fingerprint != nullptr ? fingerprint : "";
        ssh_string_free_char(fingerprint);
        ssh_clean_pubkey_hash(&hash);
    }
    if (ssh_pki_export_pubkey_base64(key, &base64) == SSH_OK) {
        identity.der = QByteArray::fromBase64(QByteArray(base64)).toStdString();
        ssh_string_free_char(base64);
    }
    identity.keyType = ssh_key_type_to_char(ssh_key_type(key));
    ssh_key_free(key);
    identity.host = m_host;
    identity.port = m_port;
    identity.names = {m_host};
    // Nothing vouches for a host key but the user: it passes only as one they accepted.
    identity.problems = ServerCertificate::Untrusted;
    m_hostKey = identity;
    if (identity.fingerprint.empty()
        || !login.acceptedCertificates.contains(QString::fromStdString(identity.fingerprint))) {
        closeSession();
        throw SftpHostKeyError(identity);
    }
}

void SftpRemoteFiles::login(const RemoteLogin &login)
{
    const auto await = [this](auto step) { return awaitStep(step, SSH_AUTH_AGAIN, m_limits.reply); };
    if (await([this] { return ssh_userauth_none(m_session, nullptr); }) == SSH_AUTH_SUCCESS)
        return;
    const QByteArray password = login.password.toUtf8();
    std::string refusedKey;
    int methods = ssh_userauth_list(m_session, nullptr);
    if ((methods & SSH_AUTH_METHOD_PUBLICKEY) != 0) {
        if (std::getenv("SSH_AUTH_SOCK") != nullptr
            && await([this] { return ssh_userauth_agent(m_session, nullptr); }) == SSH_AUTH_SUCCESS)
            return;
        if (!login.keyFile.isEmpty()) {
            const QByteArray path = QFile::encodeName(login.keyFile);
            const QByteArray passphrase = login.keyPassphrase.toUtf8();
            ssh_key key = nullptr;
            const int read = ssh_pki_import_privkey_file(
                path.constData(), passphrase.isEmpty() ? nullptr : passphrase.constData(), nullptr, nullptr, &key);
            if (read != SSH_OK) {
                closeSession();
                throw SftpError(replace(read == SSH_EOF
                                            ? "鍵ファイル「%1」がないか、読めません。サイトの設定を確かめてください。"
                                            : "鍵ファイル「%1」を開けませんでした。パスフレーズが違うか、鍵の"
                                              "形式が読めません。",
                                        "%1",
                                        login.keyFile.toStdString()));
            }
            const int result = await([&] { return ssh_userauth_publickey(m_session, nullptr, key); });
            ssh_key_free(key);
            if (result == SSH_AUTH_SUCCESS)
                return;
            refusedKey = login.keyFile.toStdString();
            methods = ssh_userauth_list(m_session, nullptr);
        }
    }
    if ((methods & SSH_AUTH_METHOD_INTERACTIVE) != 0 && !password.isEmpty()) {
        int result = await([this] { return ssh_userauth_kbdint(m_session, nullptr, nullptr); });
        while (result == SSH_AUTH_INFO) {
            const int prompts = ssh_userauth_kbdint_getnprompts(m_session);
            for (int i = 0; i < prompts; ++i) {
                char echo = 0;
                ssh_userauth_kbdint_getprompt(m_session, static_cast<unsigned>(i), &echo);
                // A prompt that echoes asks for something else than a secret: the user name.
                ssh_userauth_kbdint_setanswer(m_session,
                                              static_cast<unsigned>(i),
                                              echo != 0 ? login.user.toUtf8().constData() : password.constData());
            }
            result = await([this] { return ssh_userauth_kbdint(m_session, nullptr, nullptr); });
        }
        if (result == SSH_AUTH_SUCCESS)
            return;
        methods = ssh_userauth_list(m_session, nullptr);
    }
    if ((methods & SSH_AUTH_METHOD_PASSWORD) != 0 && !password.isEmpty()
        && await([&] { return ssh_userauth_password(m_session, nullptr, password.constData()); }) == SSH_AUTH_SUCCESS)
        return;
    const bool passwordsTaken = (methods & (SSH_AUTH_METHOD_PASSWORD | SSH_AUTH_METHOD_INTERACTIVE)) != 0;
    closeSession();
    if (!refusedKey.empty())
        throw SftpError(
            replace("鍵が受け付けられませんでした（試した鍵: %1）。サーバーに登録した鍵と同じ鍵か確かめてください。",
                    "%1",
                    refusedKey));
    if (!passwordsTaken)
        throw SftpError("このサーバーは鍵でのログインだけを受け付けます。サイトの設定で鍵ファイルを指定してください。");
    throw SftpError("ユーザー名かパスワードが違うため、ログインできませんでした。確かめてもう一度接続してください。");
}

void SftpRemoteFiles::openSftp()
{
    m_sftp = sftp_new(m_session);
    if (m_sftp == nullptr || sftp_init(m_sftp) != SSH_OK) {
        const std::string detail = ssh_get_error(m_session);
        closeSession();
        throw SftpError("このサーバーでは SFTP が使えません（SFTP のサブシステムがありません）。サーバー会社の案内で "
                        "SFTP が使えるか確かめてください。\r\n"
                            + detail,
                        true);
    }
}

void SftpRemoteFiles::closeSession()
{
    const bool wasOpen = m_session != nullptr;
    {
        const std::lock_guard lock(m_socketMutex);
        if (m_sftp != nullptr)
            sftp_free(m_sftp);
        m_sftp = nullptr;
        if (m_session != nullptr) {
            ssh_disconnect(m_session);
            ssh_free(m_session);
        }
        m_session = nullptr;
        m_socket = -1;
    }
    if (wasOpen && m_onDisconnected)
        m_onDisconnected();
}

bool SftpRemoteFiles::isConnected()
{
    return m_session != nullptr && m_sftp != nullptr && ssh_is_connected(m_session) != 0;
}

void SftpRemoteFiles::quit()
{
    closeSession();
}

void SftpRemoteFiles::requireConnected() const
{
    checkStop();
    if (m_sftp == nullptr)
        throw SftpError("サーバーに接続していません。接続してから操作してください。", true);
}

void SftpRemoteFiles::fail(const std::string &what, const std::string &path)
{
    const bool stopped = m_interrupted.load(std::memory_order_acquire);
    const int code = m_sftp != nullptr ? sftp_get_error(m_sftp) : SSH_FX_CONNECTION_LOST;
    if (stopped || m_session == nullptr || ssh_is_connected(m_session) == 0 || code == SSH_FX_CONNECTION_LOST
        || code == SSH_FX_NO_CONNECTION) {
        const std::string detail = m_session != nullptr ? ssh_get_error(m_session) : "";
        closeSession();
        if (stopped)
            throw SftpCancelledError();
        throw SftpError("サーバーとの接続が切れました。もう一度接続してください。\r\n" + detail, true);
    }
    refuse(code, what + ": " + ssh_get_error(m_session), path);
}

void SftpRemoteFiles::refuse(int code, const std::string &detail, const std::string &path)
{
    const std::string name = shown(path);
    std::string text;
    switch (code) {
    case SSH_FX_NO_SUCH_FILE:
        text = replace("「%1」がサーバーにありません。", "%1", name);
        break;
    case SSH_FX_PERMISSION_DENIED:
        text = replace("「%1」を操作する権限がありません。", "%1", name);
        break;
    case SSH_FX_FILE_ALREADY_EXISTS:
        text = replace("「%1」はもうあります。", "%1", name);
        break;
    case SSH_FX_OP_UNSUPPORTED:
        text = "このサーバーはこの操作に対応していません。";
        break;
    default:
        text = replace("サーバーが「%1」の操作を断りました。", "%1", name);
        break;
    }
    throw SftpRefusedError(text + "\r\n" + detail, code == SSH_FX_OP_UNSUPPORTED);
}

std::string SftpRemoteFiles::resolve(const std::string &path) const
{
    if (path.empty())
        return m_cwd;
    if (path.front() == '/')
        return path;
    return m_cwd + (m_cwd.empty() || m_cwd.back() == '/' ? "" : "/") + path;
}

void SftpRemoteFiles::changeDir(const std::string &path)
{
    m_cwd = folderAt(path);
}

std::string SftpRemoteFiles::folderAt(const std::string &path)
{
    requireConnected();
    const std::string full = resolve(path);
    char *canonical = sftp_canonicalize_path(m_sftp, full.c_str());
    if (canonical == nullptr)
        fail("realpath", full);
    const std::string target = canonical;
    ssh_string_free_char(canonical);
    sftp_attributes attributes = sftp_stat(m_sftp, target.c_str());
    if (attributes == nullptr)
        fail("stat", full);
    const bool folder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
    sftp_attributes_free(attributes);
    if (!folder)
        throw SftpRefusedError(replace("「%1」はフォルダではありません。", "%1", shown(full)), false);
    return target;
}

void SftpRemoteFiles::changeDirUp()
{
    changeDir("..");
}

RemoteItems SftpRemoteFiles::list(const std::string &folder, const Progress &progress, Skipped *skipped)
{
    requireConnected();
    if (skipped != nullptr)
        *skipped = {};
    const std::string full = resolve(folder);
    sftp_dir dir = sftp_opendir(m_sftp, full.c_str());
    if (dir == nullptr)
        fail("opendir", full);
    RemoteItems items;
    std::uint64_t count = 0;
    while (sftp_attributes attributes = sftp_readdir(m_sftp, dir)) {
        const std::string name = attributes->name != nullptr ? attributes->name : "";
        if (!name.empty() && name != "." && name != "..") {
            RemoteItem item;
            item.name = QByteArray::fromStdString(name);
            item.displayName = RemoteNames::decode(item.name);
            item.size = static_cast<qint64>(attributes->size);
            item.date = dateOf(attributes->mtime);
            item.attributes = attributesOf(*attributes);
            item.folder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
            items.append(item);
        }
        sftp_attributes_free(attributes);
        if (progress && !progress(++count, 0)) {
            sftp_closedir(dir);
            throw SftpCancelledError();
        }
    }
    const bool complete = sftp_dir_eof(dir) != 0;
    sftp_closedir(dir);
    if (!complete)
        fail("readdir", full);
    return items;
}

std::vector<std::optional<RemoteItems>> SftpRemoteFiles::listFullySeveral(const std::vector<std::string> &folders)
{
    requireConnected();
    std::vector<std::optional<RemoteItems>> listed;
    listed.reserve(folders.size());
    // A server opens a file for every folder open at once; a few dozen stay within any limit.
    constexpr std::size_t foldersAtOnce = 32;
    for (std::size_t first = 0; first < folders.size(); first += foldersAtOnce) {
        const std::vector<std::string> part(
            folders.begin() + static_cast<std::ptrdiff_t>(first),
            folders.begin() + static_cast<std::ptrdiff_t>(std::min(folders.size(), first + foldersAtOnce)));
        std::vector<std::optional<RemoteItems>> read(part.size());
        withPipeline(
            resolve(part.front()),
            [&](SftpPipeline &pipeline) -> std::function<void()> {
                readFolders(pipeline, part, read);
                return {};
            },
            [](auto thrower) { thrower(); });
        std::move(read.begin(), read.end(), std::back_inserter(listed));
    }
    return listed;
}

void SftpRemoteFiles::readFolders(SftpPipeline &pipeline,
                                  const std::vector<std::string> &folders,
                                  std::vector<std::optional<RemoteItems>> &listed)
{
    std::map<std::uint32_t, std::size_t> asked; // request id: the folder it is of
    for (std::size_t index = 0; index < folders.size(); ++index)
        asked.emplace(pipeline.sendOpenFolder(resolve(folders[index])), index);
    std::vector<std::string> handles(folders.size());
    std::vector<std::size_t> reading;
    const auto folderOf = [&asked](const SftpReplies::Answer &answer) {
        const auto found = asked.find(answer.id);
        if (found == asked.end())
            throw SftpReplies::ProtocolError("an answer to a request of another folder");
        const std::size_t index = found->second;
        asked.erase(found);
        return index;
    };
    while (pipeline.inFlight() > 0) {
        const SftpReplies::Answer answer = pipeline.awaitAnswer();
        const std::size_t index = folderOf(answer);
        if (answer.kind != SftpReplies::Kind::Handle)
            continue; // refused: the walk asks again and says why
        handles[index] = answer.content;
        listed[index].emplace();
        reading.push_back(index);
    }
    // A read of each open folder at a time, until the server says each has told all.
    while (!reading.empty()) {
        for (const std::size_t index : reading)
            asked.emplace(pipeline.sendReadFolder(handles[index]), index);
        std::vector<std::size_t> more;
        while (pipeline.inFlight() > 0) {
            const SftpReplies::Answer answer = pipeline.awaitAnswer();
            const std::size_t index = folderOf(answer);
            if (answer.kind != SftpReplies::Kind::Names) {
                if (answer.status != SSH_FX_EOF)
                    listed[index].reset();
                continue;
            }
            RemoteItems &items = *listed[index];
            for (const SftpReplies::Name &name : answer.names) {
                if (!name.name.empty() && name.name != "." && name.name != "..")
                    items.append(itemOf(name));
            }
            if (static_cast<std::size_t>(items.size()) > maxFolderEntries)
                throw SftpReplies::ProtocolError("a folder of more than " + std::to_string(maxFolderEntries)
                                                 + " entries");
            more.push_back(index);
        }
        reading = std::move(more);
    }
    for (const std::string &handle : handles) {
        if (!handle.empty())
            pipeline.sendClose(handle);
    }
}

std::optional<RemoteDate> SftpRemoteFiles::exactTime(const std::string &path)
{
    requireConnected();
    sftp_attributes attributes = sftp_stat(m_sftp, resolve(path).c_str());
    if (attributes == nullptr)
        return std::nullopt;
    const RemoteDate date = dateOf(attributes->mtime);
    sftp_attributes_free(attributes);
    return date;
}

void SftpRemoteFiles::retrieve(const std::string &remotePath,
                               const std::string &localPath,
                               bool overwrite,
                               std::optional<std::uint64_t> expectedSize,
                               const Progress &progress)
{
    requireConnected();
    const QString target = QFile::decodeName(QByteArray::fromStdString(localPath));
    if (!overwrite && QFile::exists(target))
        throw SftpError(replace("「%1」はもうあります。", "%1", target.toStdString()));
    const std::string full = resolve(remotePath);
    sftp_file file = sftp_open(m_sftp, full.c_str(), O_RDONLY, 0);
    if (file == nullptr)
        fail("open", full);
    std::uint64_t size = expectedSize.value_or(0);
    if (sftp_attributes attributes = sftp_fstat(file)) {
        size = attributes->size;
        sftp_attributes_free(attributes);
    }
    // Into a copy beside the target, which replaces it only once every byte is there.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        sftp_close(file);
        throw SftpError(replace(
            "「%1」の隣にファイルを作れません。フォルダに書き込めるか確かめてください。", "%1", target.toStdString()));
    }
    const auto giveUp = [&](auto thrower) {
        // The copy beside the target goes with out, never committed.
        sftp_close(file);
        thrower();
    };
    const std::uint64_t received = readBlocks(file, out, full, size, progress, giveUp);
    sftp_close(file);
    if (expectedSize && received < *expectedSize)
        throw SftpError("サーバーから届いたファイルが一覧の大きさより小さかったので、保存しませんでした。");
    if (!out.commit())
        throw SftpError(replace(
            "「%1」を置き換えられません。フォルダに書き込めるか確かめてください。", "%1", target.toStdString()));
}

void SftpRemoteFiles::store(const std::string &localPath, const std::string &remotePath, const Progress &progress)
{
    requireConnected();
    QFile in(QFile::decodeName(QByteArray::fromStdString(localPath)));
    if (!in.open(QIODevice::ReadOnly))
        throw SftpError(replace("「%1」を開けません。ファイルがあるか確かめてください。", "%1", localPath));
    const std::string full = resolve(remotePath);
    // A name that is one of the program's temporary names already (a publish sends each file
    // under one and renames it itself) is no real name: the file goes there directly, and the
    // mode is the caller's business.
    const bool direct = SiteExclusions::isTemporaryName(QByteArray::fromStdString(nameOf(full)));
    const std::string temporary = direct
        ? full
        : parentOf(full) + SiteExclusions::temporaryName(QByteArray::fromStdString(nameOf(full))).toStdString();
    const auto giveUp = [&](auto thrower) {
        if (isConnected())
            sftp_unlink(m_sftp, temporary.c_str());
        thrower();
    };
    std::optional<RemoteItem> written;
    withPipeline(
        full,
        [&](SftpPipeline &pipeline) {
            return sendFile(pipeline, in, localPath, full, temporary, !direct, progress, written);
        },
        giveUp);
    if (written)
        m_stored.stored(temporary, *written);
    if (direct)
        return;
    try {
        rename(temporary, full);
    } catch (const RemoteRefusal &) {
        sftp_unlink(m_sftp, temporary.c_str());
        m_stored.removed(temporary);
        throw;
    }
}

template<typename Work, typename GiveUp>
void SftpRemoteFiles::withPipeline(const std::string &full, Work work, GiveUp giveUp)
{
    SftpPipeline pipeline(m_sftp, m_limits.reply);
    std::function<void()> stop;
    try {
        stop = work(pipeline);
        // The answers still owed are read before anything else is said or done.
        pipeline.drain();
    } catch (const SftpPipeline::ChannelFailed &) {
        giveUp([&] { fail("transfer", full); });
    } catch (const SftpPipeline::AnswerLate &) {
        dropConnection();
        giveUp([&] {
            closeSession();
            throw SftpError("サーバーから " + std::to_string(m_limits.reply.count() / millisecondsPerSecond)
                                + " 秒以内に返事がなかったので、転送をやめました。もう一度接続してください。",
                            true);
        });
    } catch (const SftpReplies::ProtocolError &error) {
        dropConnection();
        giveUp([&] {
            closeSession();
            throw SftpError(
                std::string("サーバーの返事が読めなかったので、転送をやめました。もう一度接続してください。\r\n")
                    + error.what(),
                true);
        });
    }
    if (stop)
        giveUp(stop);
}

std::function<void()>
SftpRemoteFiles::refusal(const SftpReplies::Answer &answer, const std::string &what, const std::string &full)
{
    const int status = static_cast<int>(answer.status);
    const std::string detail = what + ": " + answer.message;
    return [this, status, detail, full] { refuse(status, detail, full); };
}

std::function<void()> SftpRemoteFiles::sendFile(SftpPipeline &pipeline,
                                                QFile &in,
                                                const std::string &localPath,
                                                const std::string &full,
                                                const std::string &temporary,
                                                bool keepOldMode,
                                                const Progress &progress,
                                                std::optional<RemoteItem> &stored)
{
    // One round trip for the old file's mode (which the new one keeps, as a replacement in
    // place would) and the temporary file's handle.
    const std::optional<std::uint32_t> statId = keepOldMode ? std::optional(pipeline.sendStat(full)) : std::nullopt;
    pipeline.sendOpenForWriting(temporary, 0644);
    std::optional<std::uint32_t> oldMode;
    std::string handle;
    std::function<void()> stop;
    for (int answers = statId ? 2 : 1; answers > 0; --answers) {
        const SftpReplies::Answer answer = pipeline.awaitAnswer();
        if (answer.id == statId) {
            if (answer.permissions)
                oldMode = *answer.permissions & 07777u;
        } else if (answer.kind == SftpReplies::Kind::Handle) {
            handle = answer.content;
        } else {
            stop = refusal(answer, "open", full);
        }
    }
    if (stop)
        return stop;
    // Then the blocks with many in flight, the mode and the close right behind them: a small
    // file costs one more round trip, a big one no more than its blocks.
    const std::uint64_t size = static_cast<std::uint64_t>(in.size());
    std::uint64_t offset = 0;
    std::uint64_t written = 0;
    std::vector<char> buffer(writeBlock);
    bool readAll = false;
    std::optional<std::uint32_t> setModeId;
    std::optional<std::uint32_t> fileStatId;
    std::optional<std::uint32_t> closeId;
    for (;;) {
        while (!stop && !readAll && pipeline.inFlight() < static_cast<std::size_t>(writesInFlight)) {
            const qint64 got = in.read(buffer.data(), static_cast<qint64>(buffer.size()));
            if (got < 0)
                stop = [&localPath] {
                    throw SftpError(replace("「%1」を読めません。ファイルを確かめてください。", "%1", localPath));
                };
            else if (got == 0)
                readAll = true;
            else
                pipeline.sendWrite(handle, offset, buffer.data(), static_cast<std::uint32_t>(got));
            offset += static_cast<std::uint64_t>(std::max<qint64>(got, 0));
        }
        if ((readAll || stop) && !closeId) {
            if (oldMode && !stop)
                setModeId = pipeline.sendSetMode(handle, *oldMode);
            // What a listing of the folder would show of the file, with no round trip of its own.
            if (!stop)
                fileStatId = pipeline.sendFileStat(handle);
            closeId = pipeline.sendClose(handle);
        }
        if (pipeline.inFlight() == 0)
            return stop;
        const SftpReplies::Answer answer = pipeline.awaitAnswer();
        // As with chmod: a mode the server will not set is no failure of the upload.
        if (answer.id == setModeId)
            continue;
        if (answer.id == fileStatId) {
            // Only a server that did every write first tells the file as it stays.
            if (answer.kind == SftpReplies::Kind::Attributes && answer.size == offset && answer.modified)
                stored = itemOf({nameOf(temporary), answer.size, answer.permissions, answer.modified});
            continue;
        }
        if (answer.status != SSH_FX_OK) {
            if (!stop)
                stop = refusal(answer, answer.id == closeId ? "close" : "write", full);
        } else if (answer.id != closeId) {
            written += answer.bytes;
            if (!stop && progress && !progress(written, size))
                stop = [] { throw SftpCancelledError(); };
        }
    }
}

template<typename GiveUp>
std::uint64_t SftpRemoteFiles::readBlocks(sftp_file_struct *file,
                                          QSaveFile &out,
                                          const std::string &full,
                                          std::uint64_t size,
                                          const Progress &progress,
                                          GiveUp giveUp)
{
    const std::string handle(static_cast<const char *>(ssh_string_data(file->handle)), ssh_string_len(file->handle));
    std::uint64_t received = 0;
    withPipeline(
        full,
        [&](SftpPipeline &pipeline) -> std::function<void()> {
            const std::string target = out.fileName().toStdString();
            std::uint64_t asked = 0;
            // The reads in flight in the order of their offsets, and the answers that came ahead
            // of the block to write next.
            std::deque<std::uint32_t> order;
            std::map<std::uint32_t, SftpReplies::Answer> early;
            bool ended = false;
            while (!ended) {
                // Many reads in flight: one round trip no longer costs each block.
                while (pipeline.inFlight() < static_cast<std::size_t>(readsInFlight)
                       && (asked < size || pipeline.inFlight() == 0)) {
                    order.push_back(pipeline.sendRead(handle, asked, readBlock));
                    asked += readBlock;
                }
                SftpReplies::Answer answer = pipeline.awaitAnswer();
                const std::uint32_t id = answer.id;
                early.emplace(id, std::move(answer));
                while (!ended && !order.empty() && early.count(order.front()) != 0) {
                    const SftpReplies::Answer block = std::move(early.extract(order.front()).mapped());
                    order.pop_front();
                    if (block.kind != SftpReplies::Kind::Data) {
                        if (block.status != SSH_FX_EOF)
                            return refusal(block, "read", full);
                        ended = true;
                        break;
                    }
                    const auto got = static_cast<qint64>(block.content.size());
                    if (out.write(block.content.data(), got) != got)
                        return [target] {
                            throw SftpError(
                                replace("「%1」に書き込めません。ディスクの空きを確かめてください。", "%1", target));
                        };
                    received += block.content.size();
                    // A short block before the end would leave a hole under the blocks after it.
                    if (block.content.size() < block.bytes && received < size)
                        return [] {
                            throw SftpError(
                                "サーバーから届いたファイルが途中で切れていました。もう一度試してください。");
                        };
                    if (progress && !progress(received, size))
                        return [] { throw SftpCancelledError(); };
                    ended = block.content.empty();
                }
                if (size > 0 && received >= size && order.empty())
                    ended = true;
            }
            return {};
        },
        giveUp);
    return received;
}

void SftpRemoteFiles::dropConnection()
{
    // libssh must not read what is left on the channel: ending the socket makes its calls fail.
    const std::lock_guard lock(m_socketMutex);
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR);
}

void SftpRemoteFiles::rename(const std::string &oldPath, const std::string &newPath)
{
    requireConnected();
    const std::string from = resolve(oldPath);
    const std::string to = resolve(newPath);
    if (sftp_rename(m_sftp, from.c_str(), to.c_str()) == SSH_OK) {
        m_stored.renamed(from, to);
        return;
    }
    // libssh sends OpenSSH's posix-rename where the server offers it, which replaces the target
    // in one step. Plain SFTP version 3 renames onto no existing name: the old file goes first.
    sftp_attributes target = sftp_lstat(m_sftp, to.c_str());
    const bool replaceable = target != nullptr && target->type != SSH_FILEXFER_TYPE_DIRECTORY;
    if (target != nullptr)
        sftp_attributes_free(target);
    if (!replaceable || sftp_unlink(m_sftp, to.c_str()) != SSH_OK
        || sftp_rename(m_sftp, from.c_str(), to.c_str()) != SSH_OK)
        fail("rename", oldPath);
    m_stored.renamed(from, to);
}

void SftpRemoteFiles::makeDir(const std::string &path)
{
    requireConnected();
    if (sftp_mkdir(m_sftp, resolve(path).c_str(), 0755) != SSH_OK)
        fail("mkdir", path);
}

void SftpRemoteFiles::removeDir(const std::string &path)
{
    requireConnected();
    if (sftp_rmdir(m_sftp, resolve(path).c_str()) != SSH_OK)
        fail("rmdir", path);
}

void SftpRemoteFiles::remove(const std::string &path)
{
    requireConnected();
    if (sftp_unlink(m_sftp, resolve(path).c_str()) != SSH_OK)
        fail("remove", path);
    m_stored.removed(resolve(path));
}

void SftpRemoteFiles::setPermissions(const std::string &path, int mode)
{
    requireConnected();
    if (sftp_chmod(m_sftp, resolve(path).c_str(), static_cast<mode_t>(mode)) != SSH_OK)
        fail("chmod", path);
    m_stored.modeSet(resolve(path), mode);
}
