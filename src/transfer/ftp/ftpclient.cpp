#include "transfer/ftp/ftpclient.h"

#include "transfer/ftp/certificatereader.h"
#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/downloadfile.h"
#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftpdataconnection.h"
#include "transfer/ftp/ftphostport.h"
#include "transfer/ftp/ftpprotocolerror.h"
#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/ftp/ftptimeouterror.h"
#include "transfer/ftp/hostresolver.h"
#include "transfer/ftp/socketerror.h"
#include "transfer/ftp/tcpstream.h"
#include "transfer/ftp/tlscontext.h"
#include "transfer/ftp/tlsstream.h"
#include "transfer/ftp/uploadfile.h"
#include "transfer/ftp/uploadwatch.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sys/stat.h>

namespace {

constexpr int connectionTimedOut = 10060;
constexpr int firstPermanentCode = 500;
constexpr int preliminaryClass = 1;
constexpr int codesPerClass = 100;
constexpr int firstErrorCode = 400;
// A failed transfer may still owe "150" before its final reply; more than this is not FTP.
constexpr int maxPreliminaryReplies = 3;

// A CR or LF inside an argument would end the command early and let the rest ride along
// as a second command of the server's choosing.
void checkSingleLine(const std::string &argument)
{
    if (argument.find_first_of("\r\n") != std::string::npos)
        throw FtpError(
            "The name contains a line break and cannot be sent to the server.", FtpFault::LineBreakInName, argument);
}

bool isPreliminary(int code)
{
    return code / codesPerClass == preliminaryClass;
}

bool isError(int code)
{
    return code >= firstErrorCode;
}

void report(const FtpClient::Progress &progress, std::uint64_t done, std::uint64_t total)
{
    if (progress && !progress(done, total))
        throw FtpCancelledError();
}

bool holdsControlByte(const std::string &text)
{
    constexpr unsigned char deleteCode = 0x7F;
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < ' ' || byte == deleteCode;
    });
}

// A refused login that speaks of encryption, TLS or SSL (in English or Japanese, UTF-8 or CP932)
// asks for FTPS. Whole words only: a 550 about "openssl.tar" is no such thing.
bool refusesPlainLogin(int code, const std::string &line)
{
    constexpr int notLoggedIn = 530;
    constexpr int policyRefusal = 534;
    constexpr int unavailable = 550;
    if (code != notLoggedIn && code != policyRefusal && code != unavailable)
        return false;
    if (line.find("\xE6\x9A\x97\xE5\x8F\xB7") != std::string::npos
        || line.find("\x88\xC3\x8D\x86") != std::string::npos)
        return true; // 暗号
    std::string word;
    for (std::size_t index = 0; index <= line.size(); ++index) {
        const unsigned char c = index < line.size() ? static_cast<unsigned char>(line[index]) : ' ';
        if (std::isalnum(c) != 0 && c < 0x80) {
            word += static_cast<char>(std::tolower(c));
            continue;
        }
        if (word == "tls" || word == "ssl" || word == "ftps" || word.starts_with("encrypt"))
            return true;
        word.clear();
    }
    return false;
}

bool pathExists(const std::string &path)
{
    struct stat status
    {};
    return ::lstat(path.c_str(), &status) == 0;
}

} // namespace

FtpClient::FtpClient() : m_reader([this](char *buffer, std::size_t capacity) { return readControl(buffer, capacity); })
{}

FtpClient::~FtpClient() = default;

void FtpClient::connect()
{
    if (controlOpen())
        throw FtpError("Already connected.");
    bool opened = false;
    try {
        m_reader.reset();
        m_lastReply = {};
        m_repliesOwed = 0;
        m_renameClear = true;
        checkSingleLine(m_settings.user);
        checkSingleLine(m_settings.password);
        m_tls.reset();
        m_certificateFingerprint.clear();
        m_serverCertificate.reset();
        m_dataWay = m_settings.dataMode == FtpDataMode::Active ? DataWay::Active : DataWay::ExtendedPassive;

        m_control = std::make_unique<TcpStream>(connectToServer());
        opened = true;
        m_repliesOwed = 1; // the greeting
        if (m_onConnected)
            m_onConnected();
        expect(FtpStep::Greeting);
        if (m_settings.security == FtpSecurity::ExplicitTls)
            startTls();
        login();
        if (m_onLoggedIn)
            m_onLoggedIn();
    } catch (...) {
        // Every failure ends the attempt, also one before the connection stood (refused,
        // unknown name): whoever shows "connecting" must hear that it is over.
        if (opened)
            closeControl(); // notifies unless a lost connection already did
        else
            notifyDisconnected();
        throw;
    }
}

TcpSocket FtpClient::connectToServer()
{
    const Deadline overall(m_settings.timeLimits.connect);
    const std::vector<NetworkEndpoint> addresses =
        HostResolver::resolve(m_settings.host, m_settings.port, overall, &m_interrupter);
    std::optional<SocketError> failure;
    for (std::size_t index = 0; index < addresses.size(); ++index) {
        const std::chrono::milliseconds share(overall.remainingMilliseconds()
                                              / static_cast<int>(addresses.size() - index));
        TcpSocket socket = TcpSocket::create(addresses[index].family());
        socket.setInterrupter(&m_interrupter);
        try {
            if (socket.connect(addresses[index], Deadline(share)))
                return socket;
            failure = SocketError(connectionTimedOut);
        } catch (const SocketError &error) {
            failure = error;
        }
    }
    throw failure.value_or(SocketError(connectionTimedOut));
}

void FtpClient::startTls()
{
    sendLine(commandLine(FtpStep::AuthTls, {}));
    const FtpReply &reply = readReply();
    // Never a silent step down to plain FTP: the password would go out in clear.
    if (!ruleFor(FtpStep::AuthTls).accepts(reply.code))
        throw FtpError(reply.lastLine(), FtpFault::EncryptionRefused, m_settings.host);
    // The client speaks first in the handshake: bytes already here are no TLS, and would be
    // lost to it anyway.
    if (m_reader.hasBufferedBytes())
        throw FtpError("The server sent data before the TLS handshake.", FtpFault::Tls);
    m_tls = std::make_unique<TlsContext>(m_settings);
    std::unique_ptr<TlsStream> secured;
    try {
        TcpSocket socket = static_cast<TcpStream &>(*m_control).release();
        secured = TlsStream::handshake(
            std::move(socket), *m_tls, m_settings.host, false, Deadline(m_settings.timeLimits.reply));
    } catch (...) {
        m_control.reset(); // the handshake closed the connection
        m_repliesOwed = 0;
        notifyDisconnected();
        throw;
    }
    X509 *certificate = secured->peerCertificate();
    unsigned problems = secured->certificateProblems();
    if (certificate == nullptr)
        problems |= FtpCertificate::Untrusted;
    const std::string fingerprint = certificate != nullptr ? CertificateReader::fingerprint(certificate) : "";
    m_control = std::move(secured);
    const auto &accepted = m_settings.acceptedCertificates;
    if (problems != 0 && std::find(accepted.begin(), accepted.end(), fingerprint) == accepted.end())
        throw FtpCertificateError(CertificateReader::describe(certificate, m_settings.host, m_settings.port, problems));
    m_certificateFingerprint = fingerprint;
    if (certificate != nullptr)
        m_serverCertificate = CertificateReader::describe(certificate, m_settings.host, m_settings.port, problems);
}

FtpClient::Steps FtpClient::afterLogin() const
{
    // What follows the login changes nothing that a refusal of one of them could make harmful
    // for the next, so it goes out at once: one round trip instead of up to four.
    Steps steps;
    if (m_tls) {
        steps.emplace_back(FtpStep::ProtectionBufferSize, std::string());
        steps.emplace_back(FtpStep::DataProtection, std::string());
    }
    steps.emplace_back(FtpStep::Type, m_settings.transferType == FtpTransferType::Binary ? "I" : "A");
    if (m_settings.askSystem)
        steps.emplace_back(FtpStep::System, std::string());
    return steps;
}

void FtpClient::login()
{
    m_loginWay = FtpKnownLogin::Unknown;
    const Steps after = afterLogin();
    const FtpKnownLogin known = m_settings.knownLogin;
    // The password follows the user name at once only where an earlier login of this session
    // showed the server asks for it (and so takes a plain-FTP login at all).
    Steps first{{FtpStep::User, m_settings.user}};
    if (known == FtpKnownLogin::UserAndPassword)
        first.emplace_back(FtpStep::Password, m_settings.password);
    const std::size_t loginSteps = first.size();
    if (known != FtpKnownLogin::Unknown)
        first.insert(first.end(), after.begin(), after.end());

    Exchange sent = exchange(first);
    acceptLogin(FtpStep::User, sent.at(0));
    std::size_t settled = loginSteps; // where the replies to what follows the login start
    if (sent.at(0).code == FtpCode::needPassword) {
        if (loginSteps == 1) {
            // What went out behind the user name came before the login and counts for nothing,
            // but its replies must all be in before the next command's.
            for (std::size_t index = 1; index < first.size(); ++index)
                static_cast<void>(sent.at(index));
            Steps password{{FtpStep::Password, m_settings.password}};
            password.insert(password.end(), after.begin(), after.end());
            sent = exchange(password);
            settled = 1;
        }
        acceptLogin(FtpStep::Password, sent.at(settled - 1));
        m_loginWay = FtpKnownLogin::UserAndPassword;
    } else {
        // Logged in by the name alone: a password sent behind it is answered with a refusal
        // or a shrug, neither of which matters.
        m_loginWay = FtpKnownLogin::UserAlone;
        if (first.size() == loginSteps) {
            sent = exchange(after);
            settled = 0;
        }
    }
    for (std::size_t index = 0; index < after.size(); ++index)
        accept(after[index].first, sent.at(settled + index));
}

std::string FtpClient::currentDir()
{
    return pathInReply(command(FtpStep::PrintDir));
}

std::string FtpClient::pathInReply(const FtpReply &reply)
{
    const std::string &line = reply.lastLine();
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? std::string::npos : line.find('"', open + 1);
    if (close == std::string::npos)
        return {};
    std::string path = line.substr(open + 1, close - open - 1);
    // The path becomes the window's folder label and the base of every later command.
    if (holdsControlByte(path))
        throw FtpProtocolError("The server named a folder holding a control character.");
    return path;
}

void FtpClient::changeDir(const std::string &path)
{
    command(FtpStep::ChangeDir, path);
}

std::string FtpClient::resolveDir(const std::string &path)
{
    // Where the server is, there and back: two round trips instead of four. The window's
    // connection read PWD when it logged in, so the first one is not refused behind a CWD that
    // went.
    const Exchange sent = exchange({{FtpStep::PrintDir, {}}, {FtpStep::ChangeDir, path}, {FtpStep::PrintDir, {}}});
    accept(FtpStep::PrintDir, sent.at(0));
    const std::string current = pathInReply(sent.at(0));
    accept(FtpStep::ChangeDir, sent.at(1));
    std::string resolved;
    std::exception_ptr unread;
    try {
        accept(FtpStep::PrintDir, sent.at(2));
        resolved = pathInReply(sent.at(2));
    } catch (...) {
        unread = std::current_exception(); // told once the connection is back where it was
    }
    changeDir(current);
    if (unread)
        std::rethrow_exception(unread);
    return resolved;
}

void FtpClient::changeDirUp()
{
    command(FtpStep::ChangeDirUp);
}

void FtpClient::makeDir(const std::string &name)
{
    command(FtpStep::MakeDir, name);
}

void FtpClient::removeDir(const std::string &name)
{
    command(FtpStep::RemoveDir, name);
}

void FtpClient::deleteFile(const std::string &name)
{
    command(FtpStep::DeleteFile, name);
}

void FtpClient::rename(const std::string &oldName, const std::string &newName)
{
    checkSingleLine(newName); // refuse before RNFR leaves the server waiting for RNTO
    if (!m_renameClear) {
        // An RNFR of before may still be held: RNTO goes only once this RNFR was taken.
        command(FtpStep::RenameFrom, oldName);
        m_renameClear = false;
        command(FtpStep::RenameTo, newName);
        m_renameClear = true;
        return;
    }
    // Both at once, a round trip saved. Where RNFR fails, the server holds no name of ours to
    // rename, so the RNTO behind it is refused too ("503 RNFR required first").
    sendLine(commandLine(FtpStep::RenameFrom, oldName));
    sendLine(commandLine(FtpStep::RenameTo, newName));
    const FtpReply from = readReply();
    const FtpReply &to = readReply();
    if (!ruleFor(FtpStep::RenameFrom).accepts(from.code))
        throw FtpReplyError(from.code, from.lastLine());
    if (!ruleFor(FtpStep::RenameTo).accepts(to.code)) {
        m_renameClear = false;
        throw FtpReplyError(to.code, to.lastLine());
    }
}

void FtpClient::site(const std::string &text)
{
    command(FtpStep::Site, text);
}

FtpFeatures FtpClient::features()
{
    try {
        return FtpFeatures::parse(command(FtpStep::Features).lines);
    } catch (const FtpReplyError &error) {
        if (error.code() < firstPermanentCode)
            throw;
        return {};
    }
}

void FtpClient::options(const std::string &text)
{
    command(FtpStep::Options, text);
}

std::string FtpClient::modificationTime(const std::string &path)
{
    const std::string &line = command(FtpStep::ModificationTime, path).lastLine();
    const std::size_t blank = line.find(' ');
    return blank == std::string::npos ? std::string() : line.substr(blank + 1);
}

std::vector<std::string> FtpClient::list(const std::string &path, const Progress &progress, SkippedLines *skipped)
{
    return list(path, Listing::Plain, progress, skipped);
}

std::vector<std::string>
FtpClient::list(const std::string &path, Listing listing, const Progress &progress, SkippedLines *skipped)
{
    constexpr std::array steps{FtpStep::List, FtpStep::ListWithHidden, FtpStep::MachineList};
    std::string text;
    transfer(steps[static_cast<std::size_t>(listing)], path, [&](FtpDataConnection &data) {
        const bool whole = data.receiveAll(
            [&](const char *bytes, std::size_t size) {
                if (text.size() + size > maxListingSize)
                    throw FtpProtocolError("The server sent a listing larger than "
                                           + std::to_string(maxListingSize / (1024 * 1024)) + " MiB.");
                text.append(bytes, size);
                report(progress, text.size(), 0);
            },
            m_settings.timeLimits.dataIdle);
        if (!whole)
            throw FtpError("The listing of " + path + " was cut short.", FtpFault::TruncatedDownload, path);
    });
    return splitLines(text, skipped);
}

namespace {

FtpStep statusStep(FtpClient::Listing listing)
{
    if (listing == FtpClient::Listing::Machine)
        throw FtpProtocolError("A machine listing cannot come in a reply.");
    return listing == FtpClient::Listing::Plain ? FtpStep::StatusList : FtpStep::StatusListWithHidden;
}

} // namespace

const FtpReply &FtpClient::readListingInReply()
{
    return readReply(Deadline(m_settings.timeLimits.reply),
                     [this] { return m_reader.readListingReply(maxListingSize); });
}

std::vector<std::string> FtpClient::linesInReply(const FtpReply &reply, SkippedLines *skipped)
{
    // The first and last lines are the server's words about the listing between them.
    std::string text;
    for (std::size_t index = 1; index + 1 < reply.lines.size(); ++index)
        text += reply.lines[index] + '\n';
    return splitLines(text, skipped);
}

std::vector<std::string> FtpClient::listInReply(const std::string &path, Listing listing, SkippedLines *skipped)
{
    const FtpStep step = statusStep(listing);
    sendLine(commandLine(step, path));
    const FtpReply &reply = readListingInReply();
    if (!ruleFor(step).accepts(reply.code))
        throw FtpReplyError(reply.code, reply.lastLine());
    return linesInReply(reply, skipped);
}

std::vector<std::optional<std::vector<std::string>>> FtpClient::listInReplies(const std::vector<std::string> &paths,
                                                                              Listing listing)
{
    const FtpStep step = statusStep(listing);
    std::vector<std::optional<std::vector<std::string>>> listed;
    listed.reserve(paths.size());
    for (std::size_t first = 0; first < paths.size(); first += maxRepliesInFlight) {
        const std::size_t end = std::min(paths.size(), first + maxRepliesInFlight);
        std::vector<std::string> lines;
        for (std::size_t index = first; index < end; ++index)
            lines.push_back(commandLine(step, paths[index]));
        // One write: a stop can only come before it or while its replies are read, and reading
        // them closes the connection on a stop, so no reply is ever left owed on it.
        sendLines(lines, m_settings.timeLimits.reply);
        for (std::size_t index = first; index < end; ++index) {
            const FtpReply &reply = readListingInReply();
            if (ruleFor(step).accepts(reply.code))
                listed.emplace_back(linesInReply(reply, nullptr));
            else
                listed.emplace_back(std::nullopt);
        }
    }
    return listed;
}

void FtpClient::retrieve(const std::string &remoteName,
                         const std::string &localPath,
                         bool overwrite,
                         std::optional<std::uint64_t> expectedSize,
                         const Progress &progress)
{
    requireConnected();
    checkSingleLine(remoteName);
    if (!overwrite && pathExists(localPath))
        throw FtpError("Destination file already exists.");
    DownloadFile file(localPath);
    const std::uint64_t total = expectedSize.value_or(0);
    transfer(FtpStep::Retrieve, remoteName, [&](FtpDataConnection &data) {
        const bool whole = data.receiveAll(
            [&](const char *bytes, std::size_t size) {
                file.write(bytes, size);
                report(progress, file.bytesWritten(), total);
            },
            m_settings.timeLimits.dataIdle);
        // Without the TLS close anyone on the way could have cut the file short unnoticed.
        if (!whole)
            throw FtpError(
                "The download of " + remoteName + " was cut short.", FtpFault::TruncatedDownload, remoteName);
    });
    if (expectedSize && file.bytesWritten() < *expectedSize)
        throw FtpError("The download of " + remoteName + " ended after " + std::to_string(file.bytesWritten()) + " of "
                           + std::to_string(*expectedSize) + " bytes.",
                       FtpFault::ShortDownload,
                       remoteName);
    file.commit();
}

void FtpClient::store(const std::string &localPath, const std::string &remoteName, const Progress &progress)
{
    requireConnected();
    checkSingleLine(remoteName);
    UploadFile file(localPath);
    const std::uint64_t total = file.remaining();
    try {
        transfer(FtpStep::Store, remoteName, [&](FtpDataConnection &data) {
            const std::chrono::milliseconds idleLimit = m_settings.timeLimits.dataIdle;
            // What is written is only what the system took into its buffers; the progress is
            // what the server has.
            UploadWatch watch(data.stream(), idleLimit, [&](std::uint64_t taken) { report(progress, taken, total); });
            const std::unique_ptr<char[]> buffer(new char[FtpDataConnection::blockSize]);
            std::uint64_t done = 0;
            // The size, before the first block, which may wait a while; a stop is heeded after it.
            if (progress)
                progress(0, total);
            while (file.remaining() > 0) {
                const std::size_t size = file.read(buffer.get(), FtpDataConnection::blockSize);
                watch.handingUpTo(done + size);
                data.send(buffer.get(), size, idleLimit, &watch);
                done += size;
                watch.report();
            }
            data.finishSending(idleLimit, &watch);
            awaitUploadTaken(watch);
        });
    } catch (FtpError &error) {
        // Once the data connection stood, the server has created or truncated the file; before
        // that (a refused STOR, a 425) the old file there is untouched and must stay.
        if (m_dataConnected) {
            const bool cancelled = error.fault() == FtpFault::Cancelled || m_interrupter.raised();
            error.setUnfinishedUpload({remoteName, removeUnfinishedUpload(remoteName, cancelled)});
        }
        throw;
    }
    // The server's reply says it has everything, whatever the last report could tell.
    if (progress)
        progress(total, total);
}

void FtpClient::awaitUploadTaken(UploadWatch &watch)
{
    // The server replies once it has the whole file, which may take a while yet on a slow link
    // after a fast system took all of it; the bytes it still has to take tell how far it is, and
    // that it is still there.
    const auto replyReady = [this](const Deadline &deadline) {
        return m_reader.hasCompleteLine() || m_control->waitReadable(deadline);
    };
    if (watch.wait(replyReady, true) == UploadWatch::WaitEnd::Idle)
        throw FtpTimeoutError(FtpFault::IdleTimeout, m_settings.timeLimits.dataIdle);
}

void FtpClient::quit()
{
    if (!controlOpen())
        return;
    try {
        const std::string line = std::string(ruleFor(FtpStep::Quit).command) + "\r\n";
        m_control->sendAll(line.data(), line.size(), m_settings.timeLimits.reply, nullptr);
    } catch (const FtpError &) {
        // Leaving anyway: a server that cannot hear the goodbye loses nothing.
    }
    closeControl();
}

void FtpClient::abort()
{
    if (!controlOpen())
        return;
    abortExchange(
        [this] {
            if (m_data != nullptr)
                m_data->close();
        },
        false);
}

bool FtpClient::isConnected()
{
    if (m_reader.peerClosed() && controlOpen())
        closeControl();
    return controlOpen();
}

std::vector<std::string> FtpClient::splitLines(const std::string &text, SkippedLines *skipped)
{
    // Empty lines say nothing and are dropped as they are found: a listing of nothing but
    // line ends would otherwise become millions of empty strings, many times its own size.
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (end - start > maxListingLineLength) {
            if (skipped != nullptr) {
                if (skipped->beginnings.size() < SkippedLines::keptBeginnings)
                    skipped->beginnings.emplace_back(text, start, SkippedLines::beginningLength);
                ++skipped->count;
            }
        } else if (end > start) {
            if (lines.size() == maxListingLines)
                throw FtpProtocolError("The server sent a listing of more than " + std::to_string(maxListingLines)
                                       + " lines.");
            lines.emplace_back(text, start, end - start);
        }
        start = end + 1;
    }
    return lines;
}

void FtpClient::requireConnected() const
{
    if (!controlOpen())
        throw ConnectionClosed();
}

void FtpClient::closeControl()
{
    if (m_data != nullptr)
        m_data->close();
    if (!controlOpen())
        return;
    m_control->close();
    m_tls.reset();
    m_repliesOwed = 0;
    notifyDisconnected();
}

void FtpClient::notifyDisconnected()
{
    if (m_onDisconnected)
        m_onDisconnected();
}

std::size_t FtpClient::readControl(char *buffer, std::size_t capacity)
{
    const std::optional<std::size_t> received = m_control->receiveSome(buffer, capacity, *m_replyDeadline);
    if (!received)
        throw FtpTimeoutError(FtpFault::ReplyTimeout, m_replyDeadline->limit());
    if (*received == 0)
        closeControl();
    return *received;
}

void FtpClient::sendLine(const std::string &line)
{
    sendLine(line, m_settings.timeLimits.reply);
}

void FtpClient::sendLine(const std::string &line, std::chrono::milliseconds idleLimit)
{
    sendLines({line}, idleLimit);
}

void FtpClient::sendLines(const std::vector<std::string> &lines, std::chrono::milliseconds idleLimit)
{
    requireConnected();
    m_interrupter.check(); // nothing sent yet, so the connection stays in step
    std::string bytes;
    for (const std::string &line : lines)
        bytes += line + "\r\n";
    bool sent = false;
    try {
        sent = m_control->sendAll(bytes.data(), bytes.size(), idleLimit, nullptr);
    } catch (...) {
        closeControl();
        throw;
    }
    if (!sent) {
        closeControl();
        throw FtpTimeoutError(FtpFault::CommandTimeout, idleLimit);
    }
    m_repliesOwed += static_cast<int>(lines.size());
}

const FtpReply &FtpClient::readReply()
{
    return readReply(Deadline(m_settings.timeLimits.reply));
}

const FtpReply &FtpClient::readReply(const Deadline &deadline)
{
    return readReply(deadline, [this] { return m_reader.readReply(); });
}

const FtpReply &FtpClient::readReply(const Deadline &deadline, const std::function<FtpReply()> &read)
{
    m_replyDeadline.emplace(deadline);
    try {
        m_lastReply = read();
    } catch (...) {
        // Whatever broke the reply (a timeout, an endless line, a lost connection) leaves no
        // way to tell which reply belongs to which command any more.
        closeControl();
        throw;
    }
    if (!isPreliminary(m_lastReply.code) && m_repliesOwed > 0)
        --m_repliesOwed;
    if (m_lastReply.code == FtpCode::closingConnection) {
        // The server is going away, whatever the command was: waiting for the next command
        // to fail would leave the window showing a connection that is no more.
        closeControl();
        throw ConnectionClosed(m_lastReply.lastLine());
    }
    return m_lastReply;
}

const FtpReply &FtpClient::expect(FtpStep step)
{
    const FtpReply &reply = readReply();
    if (!ruleFor(step).accepts(reply.code))
        throw FtpReplyError(reply.code, reply.lastLine());
    return reply;
}

std::string FtpClient::commandLine(FtpStep step, const std::string &argument) const
{
    checkSingleLine(argument);
    return std::string(ruleFor(step).command) + argument;
}

const FtpReply &FtpClient::command(FtpStep step, const std::string &argument)
{
    sendLine(commandLine(step, argument));
    return expect(step);
}

const FtpReply &FtpClient::Exchange::at(std::size_t index) const
{
    if (index >= replies.size())
        std::rethrow_exception(failure);
    return replies[index];
}

FtpClient::Exchange FtpClient::exchange(const Steps &steps)
{
    std::vector<std::string> lines;
    for (const auto &[step, argument] : steps)
        lines.push_back(commandLine(step, argument));
    sendLines(lines, m_settings.timeLimits.reply);
    // Every reply is read before any is judged, so the next command gets its own.
    Exchange result;
    try {
        while (result.replies.size() < steps.size())
            result.replies.push_back(readReply());
    } catch (const FtpCancelledError &) {
        throw;
    } catch (...) {
        // A server that went silent or away after refusing: its refusal says why.
        result.failure = std::current_exception();
    }
    return result;
}

void FtpClient::accept(FtpStep step, const FtpReply &reply)
{
    if (!ruleFor(step).accepts(reply.code))
        throw FtpReplyError(reply.code, reply.lastLine());
}

void FtpClient::acceptLogin(FtpStep step, const FtpReply &reply) const
{
    if (ruleFor(step).accepts(reply.code))
        return;
    // "530 Non-anonymous sessions must use encryption.": no password was wrong, and none
    // may have been sent; the way of connecting is.
    if (!m_tls && refusesPlainLogin(reply.code, reply.lastLine()))
        throw FtpReplyError(reply.code, reply.lastLine(), FtpFault::EncryptionRequired);
    throw FtpReplyError(reply.code, reply.lastLine());
}

void FtpClient::transfer(FtpStep step, const std::string &argument, const DataWork &work)
{
    m_dataConnected = false; // first: a failure of any step below must not look like a cut upload
    requireConnected();
    std::string line = commandLine(step, argument);
    if (step == FtpStep::List || step == FtpStep::ListWithHidden || step == FtpStep::MachineList) {
        // "list" alone for an empty path; some servers refuse a trailing blank.
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
            line.pop_back();
    }

    std::unique_ptr<FtpDataConnection> data;
    const std::optional<NetworkEndpoint> passiveServer = requestPassive();
    if (!passiveServer)
        data = listenActively();
    sendLine(line);

    // From here on the server owes a reply that ends the transfer, whatever happens.
    const auto dropData = [&] {
        if (data)
            data->close();
        m_data = nullptr;
    };
    std::optional<FtpReply> early; // the final reply, when it came before the data connection
    try {
        if (passiveServer) {
            data = std::make_unique<FtpDataConnection>(
                FtpDataConnection::connectTo(*passiveServer, m_settings.timeLimits.connect, &m_interrupter));
            // The server accepts the connection before it says "150", and answers the handshake
            // only after: started now, the handshake's first round trip is the 150's.
            if (m_tls)
                data->startSecuring(*m_tls, m_settings.host);
            expect(step == FtpStep::Store ? FtpStep::PassiveStore : step);
        } else {
            expect(step);
            early = awaitServerConnection(*data);
        }
        m_dataConnected = true;
        if (m_tls)
            secureData(*data);
        m_data = data.get();
        work(*data);
    } catch (const FtpReplyError &) {
        dropData(); // the reply that ended the transfer has been read in its place
        throw;
    } catch (const FtpCancelledError &) {
        abortAfterCancel(dropData, step == FtpStep::Store);
        throw;
    } catch (const FtpTimeoutError &error) {
        if (error.fault() == FtpFault::AcceptTimeout) {
            // The server never came. Waiting a whole reply limit more for it to say so would
            // make the accept limit twice as long; ABOR asks for its word at once.
            abortExchange(dropData, false); // no data moved
        } else {
            dropData();
            recoverAfterFailedTransfer();
        }
        throw;
    } catch (const SocketError &) {
        dropData();
        // A server that refuses a transfer half-way often says why and then resets the data
        // connection; its reply is the reason to show, not the reset.
        const std::optional<FtpReply> reply = recoverAfterFailedTransfer();
        if (reply && isError(reply->code))
            throw FtpReplyError(reply->code, reply->lastLine());
        throw;
    } catch (...) {
        dropData();
        recoverAfterFailedTransfer();
        throw;
    }
    dropData();
    finishTransfer(early);
}

std::optional<NetworkEndpoint> FtpClient::requestPassive()
{
    // Only the port is taken from a reply: the address a server names could point the client
    // at any machine, so the data connection goes where the control connection went.
    const NetworkEndpoint server = m_control->socket().peerEndpoint();
    const auto refused = [](const FtpReplyError &error) { return error.code() >= firstPermanentCode; };
    if (m_dataWay == DataWay::ExtendedPassive) {
        try {
            return server.withPort(
                FtpHostPort::parseExtendedPassiveReply(command(FtpStep::ExtendedPassive).lastLine()));
        } catch (const FtpReplyError &error) {
            if (!refused(error))
                throw;
            m_dataWay = DataWay::Passive;
        }
    }
    if (m_dataWay == DataWay::Passive) {
        try {
            return server.withPort(FtpHostPort::parsePassiveReply(command(FtpStep::Passive).lastLine()).port);
        } catch (const FtpReplyError &error) {
            // Active mode fails behind every home router, so only Auto turns to it.
            if (!refused(error) || m_settings.dataMode != FtpDataMode::Auto)
                throw;
            m_dataWay = DataWay::Active;
        }
    }
    return std::nullopt;
}

std::unique_ptr<FtpDataConnection> FtpClient::listenActively()
{
    auto data = std::make_unique<FtpDataConnection>(
        FtpDataConnection::listenOn(m_control->socket().localEndpoint(), &m_interrupter));
    const NetworkEndpoint listening = data->listeningEndpoint();
    if (listening.isIpv6())
        command(FtpStep::ExtendedPort, FtpHostPort::formatExtended(listening));
    else
        command(FtpStep::Port, FtpHostPort::format(listening.toIpv4()));
    return data;
}

void FtpClient::secureData(FtpDataConnection &data)
{
    data.secure(*m_tls, m_settings.host, m_certificateFingerprint, Deadline(m_settings.timeLimits.reply));
}

std::optional<FtpReply> FtpClient::awaitServerConnection(FtpDataConnection &data)
{
    const Deadline deadline(m_settings.timeLimits.dataAccept);
    const NetworkEndpoint server = m_control->socket().peerEndpoint();
    for (;;) {
        if (!m_reader.hasCompleteLine()) {
            if (data.acceptServer(server, m_settings.dataOnlyFromServer, deadline, m_control.get()))
                return std::nullopt;
        } else if (deadline.expired()) {
            throw FtpTimeoutError(FtpFault::AcceptTimeout, deadline.limit());
        }
        // The server spoke instead of connecting: mostly a refusal after its "150".
        const FtpReply &reply = readReply();
        if (isPreliminary(reply.code))
            continue;
        if (isError(reply.code)) {
            const FtpReplyError refused(reply.code, reply.lastLine());
            if (refused.code() == FtpCode::transferAborted)
                readFollowUpOfAbortedTransfer();
            throw refused;
        }
        // A short transfer can be over, its reply sent, before its connection was taken: the
        // connection is waiting all the same, and this reply is the one that ends it.
        FtpReply end = reply;
        data.acceptServer(server, m_settings.dataOnlyFromServer, deadline);
        return end;
    }
}

void FtpClient::finishTransfer(const std::optional<FtpReply> &early)
{
    if (early && !ruleFor(FtpStep::EndOfTransfer).accepts(early->code))
        throw FtpReplyError(early->code, early->lastLine());
    const FtpReply reply = early ? *early : expect(FtpStep::EndOfTransfer);
    if (reply.code != FtpCode::transferAborted)
        return;
    // Whatever arrived was cut short: never a success, even when a 226 follows.
    const FtpReplyError aborted(reply.code, reply.lastLine());
    readFollowUpOfAbortedTransfer();
    throw aborted;
}

void FtpClient::readFollowUpOfAbortedTransfer()
{
    // Many servers follow "426" with a "226"; left unread it would answer the next command.
    // It comes at once or not at all, so a server that sends none costs only a moment.
    try {
        if (m_reader.hasCompleteLine() || m_control->waitReadable(Deadline(m_settings.timeLimits.abortReply)))
            readReply();
    } catch (const FtpCancelledError &) {
        closeControl(); // a reply may still be on its way, for no command of ours
        throw;
    }
}

std::optional<FtpReply> FtpClient::recoverAfterFailedTransfer()
{
    // Read what the server says about the broken transfer so that the next command gets
    // its own reply; if it says nothing in time the connection cannot be trusted.
    if (!controlOpen() || m_repliesOwed == 0)
        return std::nullopt;
    try {
        FtpReply reply = readReply();
        for (int count = 0; isPreliminary(reply.code) && count < maxPreliminaryReplies; ++count)
            reply = readReply();
        if (reply.code == FtpCode::transferAborted)
            readFollowUpOfAbortedTransfer();
        return reply;
    } catch (...) {
        closeControl();
        return std::nullopt;
    }
}

void FtpClient::abortAfterCancel(const std::function<void()> &closeData, bool upload)
{
    if (!controlOpen()) {
        closeData();
        return;
    }
    withInterruptionSetAside([&] { abortExchange(closeData, upload); });
}

void FtpClient::withInterruptionSetAside(const std::function<void()> &work)
{
    // Clean-up after a cancel has to wait for the server, so the interruption is put aside
    // for it and raised again after, ending whatever the caller tries next in the same way.
    const bool interrupted = m_interrupter.raised();
    m_interrupter.clear();
    work();
    if (interrupted)
        m_interrupter.raise();
}

void FtpClient::abortExchange(const std::function<void()> &closeData, bool upload)
{
    const Deadline deadline(m_settings.timeLimits.abortReply);
    try {
        sendAbort(m_settings.timeLimits.abortReply);
        // A server that sees an upload's data connection end before it acts on ABOR takes the
        // cut data for the whole file and answers 226. One that heeds the urgent signal closes
        // the connection itself and answers at once, so ours stays open until then, for half
        // the limit at most (a server that reads ABOR only after the data ends needs the rest).
        if (upload && m_data != nullptr && !m_reader.hasCompleteLine())
            m_control->waitReadable(Deadline(m_settings.timeLimits.abortReply / 2));
        closeData();
        // The transfer's own final reply (often 426) and the one for ABOR, or just the latter:
        // a server that had moved no data yet answers ABOR with 225 and drops the transfer's.
        while (m_repliesOwed > 0) {
            if (readReply(deadline).code == FtpCode::nothingToAbort)
                m_repliesOwed = 0;
        }
    } catch (const FtpError &) {
        // Silent or gone: nothing it says later could be matched to a command any more.
        closeData();
        closeControl();
    }
}

void FtpClient::sendAbort(std::chrono::milliseconds limit)
{
    // As RFC 959 asks: Telnet IP, then Synch (an IAC sent as urgent data, DM after it), then
    // the command. A server busy moving data may look at its control connection only when
    // told of urgent data; the Telnet bytes before the command are dropped by servers.
    static constexpr char interruptAndMark[] = {'\xFF', '\xF4', '\xFF'};
    static constexpr char dataMark = '\xF2';
    requireConnected();
    m_interrupter.check();
    if (m_tls) {
        // Telnet signals cannot be slipped in beside TLS records; the command alone it is.
        sendLine(std::string(ruleFor(FtpStep::Abort).command), limit);
        return;
    }
    bool sent = false;
    try {
        sent = m_control->socket().sendUrgent(interruptAndMark, sizeof interruptAndMark, limit);
    } catch (...) {
        closeControl();
        throw;
    }
    if (!sent) {
        closeControl();
        throw FtpTimeoutError(FtpFault::CommandTimeout, limit);
    }
    sendLine(dataMark + std::string(ruleFor(FtpStep::Abort).command), limit);
}

bool FtpClient::removeUnfinishedUpload(const std::string &remoteName, bool cancelled)
{
    if (!controlOpen() || m_repliesOwed != 0)
        return false;
    // A user who stopped the upload waits for control back; otherwise the usual reply limit.
    const std::chrono::milliseconds limit = cancelled ? m_settings.timeLimits.abortReply : m_settings.timeLimits.reply;
    bool removed = false;
    withInterruptionSetAside([&] {
        try {
            sendLine(commandLine(FtpStep::DeleteFile, remoteName), limit);
            removed = ruleFor(FtpStep::DeleteFile).accepts(readReply(Deadline(limit)).code);
        } catch (const FtpError &) {
            // A refusal leaves the session in step; a lost reply has closed the connection.
        }
    });
    return removed;
}
