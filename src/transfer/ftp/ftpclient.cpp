#include "transfer/ftp/ftpclient.h"

#include <sys/stat.h>

#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/downloadfile.h"
#include "transfer/ftp/ftpdataconnection.h"
#include "transfer/ftp/ftphostport.h"
#include "transfer/ftp/ftpprotocolerror.h"
#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/ftp/ftptimeouterror.h"
#include "transfer/ftp/hostresolver.h"
#include "transfer/ftp/socketerror.h"
#include "transfer/ftp/uploadfile.h"

namespace {

constexpr int connectionTimedOut = 10060;
constexpr int preliminaryClass = 1;
constexpr int codesPerClass = 100;
// A failed transfer may still owe "150" before its final reply; more than this is not FTP.
constexpr int maxPreliminaryReplies = 3;

// A CR or LF inside an argument would end the command early and let the rest ride along
// as a second command of the server's choosing.
void checkSingleLine(const std::string& argument)
{
    if (argument.find_first_of("\r\n") != std::string::npos)
        throw FtpError("The name contains a line break and cannot be sent to the server.");
}

bool isPreliminary(int code)
{
    return code / codesPerClass == preliminaryClass;
}

bool pathExists(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

} // namespace

FtpClient::FtpClient()
    : m_reader([this](char* buffer, std::size_t capacity) { return readControl(buffer, capacity); })
{
}

FtpClient::~FtpClient() = default;

void FtpClient::connect()
{
    if (m_control.isOpen())
        throw FtpError("Already connected.");
    m_reader.reset();
    m_lastReply = {};
    checkSingleLine(m_settings.user);
    checkSingleLine(m_settings.password);

    TcpSocket socket = TcpSocket::create();
    const Ipv4Endpoint server{HostResolver::resolve(m_settings.host), m_settings.port};
    if (!socket.connect(server, Deadline(m_settings.timeLimits.connect)))
        throw SocketError(connectionTimedOut);
    m_control = std::move(socket);
    try {
        if (m_onConnected)
            m_onConnected();
        expect(FtpStep::Greeting);
        login();
    } catch (...) {
        closeControl();
        throw;
    }
}

void FtpClient::login()
{
    if (command(FtpStep::User, m_settings.user).code == FtpCode::needPassword)
        command(FtpStep::Password, m_settings.password);
    command(FtpStep::Type, m_settings.transferType == FtpTransferType::Binary ? "I" : "A");
    command(FtpStep::System);
}

std::string FtpClient::currentDir()
{
    const std::string& line = command(FtpStep::PrintDir).lastLine();
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? std::string::npos : line.find('"', open + 1);
    if (close == std::string::npos)
        return {};
    return line.substr(open + 1, close - open - 1);
}

void FtpClient::changeDir(const std::string& path)
{
    command(FtpStep::ChangeDir, path);
}

void FtpClient::changeDirUp()
{
    command(FtpStep::ChangeDirUp);
}

void FtpClient::makeDir(const std::string& name)
{
    command(FtpStep::MakeDir, name);
}

void FtpClient::removeDir(const std::string& name)
{
    command(FtpStep::RemoveDir, name);
}

void FtpClient::deleteFile(const std::string& name)
{
    command(FtpStep::DeleteFile, name);
}

void FtpClient::rename(const std::string& oldName, const std::string& newName)
{
    checkSingleLine(newName); // refuse before RNFR leaves the server waiting for RNTO
    command(FtpStep::RenameFrom, oldName);
    command(FtpStep::RenameTo, newName);
}

void FtpClient::site(const std::string& text)
{
    command(FtpStep::Site, text);
}

std::vector<std::string> FtpClient::list(const std::string& path)
{
    std::string text;
    transfer(FtpStep::List, path, [&](FtpDataConnection& data) {
        data.receiveAll(
            [&](const char* bytes, std::size_t size) {
                if (text.size() + size > maxListingSize)
                    throw FtpProtocolError("The server sent a listing larger than "
                                           + std::to_string(maxListingSize / (1024 * 1024)) + " MiB.");
                text.append(bytes, size);
            },
            m_settings.timeLimits.dataIdle);
    });
    return splitLines(text);
}

void FtpClient::retrieve(const std::string& remoteName, const std::string& localPath, bool overwrite)
{
    requireConnected();
    checkSingleLine(remoteName);
    if (!overwrite && pathExists(localPath))
        throw FtpError("Destination file already exists.");
    DownloadFile file(localPath);
    transfer(FtpStep::Retrieve, remoteName, [&](FtpDataConnection& data) {
        data.receiveAll([&](const char* bytes, std::size_t size) { file.write(bytes, size); },
                        m_settings.timeLimits.dataIdle);
    });
    file.commit();
}

void FtpClient::store(const std::string& localPath, const std::string& remoteName)
{
    requireConnected();
    checkSingleLine(remoteName);
    UploadFile file(localPath);
    transfer(FtpStep::Store, remoteName, [&](FtpDataConnection& data) {
        const std::unique_ptr<char[]> buffer(new char[FtpDataConnection::blockSize]);
        while (file.remaining() > 0) {
            const std::size_t size = file.read(buffer.get(), FtpDataConnection::blockSize);
            data.send(buffer.get(), size, m_settings.timeLimits.dataIdle);
        }
    });
}

void FtpClient::quit()
{
    if (!m_control.isOpen())
        return;
    try {
        const std::string line = std::string(ruleFor(FtpStep::Quit).command) + "\r\n";
        m_control.sendAll(line.data(), line.size(), m_settings.timeLimits.reply);
    } catch (const FtpError&) {
        // Leaving anyway: a server that cannot hear the goodbye loses nothing.
    }
    closeControl();
}

void FtpClient::abort()
{
    if (!m_control.isOpen())
        return;
    sendLine(std::string(ruleFor(FtpStep::Abort).command));
    if (m_data != nullptr)
        m_data->close();
    // The server answers ABOR (426 then 226 when a transfer was cut, else 225 or 226).
    // Left unread, that answer would be taken as the reply to the next command.
    if (readReply().code == FtpCode::transferAborted)
        readReply();
}

bool FtpClient::isConnected()
{
    if (m_reader.peerClosed() && m_control.isOpen())
        closeControl();
    return m_control.isOpen();
}

std::vector<std::string> FtpClient::splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

void FtpClient::requireConnected() const
{
    if (!m_control.isOpen())
        throw ConnectionClosed();
}

void FtpClient::closeControl()
{
    if (m_data != nullptr)
        m_data->close();
    if (!m_control.isOpen())
        return;
    m_control.close();
    if (m_onDisconnected)
        m_onDisconnected();
}

std::size_t FtpClient::readControl(char* buffer, std::size_t capacity)
{
    const std::optional<std::size_t> received = m_control.receiveSome(buffer, capacity, *m_replyDeadline);
    if (!received)
        throw FtpTimeoutError("The server did not reply within "
                              + FtpTimeoutError::describe(m_replyDeadline->limit()) + ".");
    if (*received == 0)
        closeControl();
    return *received;
}

void FtpClient::sendLine(const std::string& line)
{
    requireConnected();
    const std::string bytes = line + "\r\n";
    bool sent = false;
    try {
        sent = m_control.sendAll(bytes.data(), bytes.size(), m_settings.timeLimits.reply);
    } catch (...) {
        closeControl();
        throw;
    }
    if (!sent) {
        closeControl();
        throw FtpTimeoutError("The server did not take a command within "
                              + FtpTimeoutError::describe(m_settings.timeLimits.reply) + ".");
    }
}

const FtpReply& FtpClient::readReply()
{
    m_replyDeadline.emplace(m_settings.timeLimits.reply);
    try {
        m_lastReply = m_reader.readReply();
    } catch (...) {
        // Whatever broke the reply (a timeout, an endless line, a lost connection) leaves no
        // way to tell which reply belongs to which command any more.
        closeControl();
        throw;
    }
    return m_lastReply;
}

const FtpReply& FtpClient::expect(FtpStep step)
{
    const FtpReply& reply = readReply();
    if (!ruleFor(step).accepts(reply.code))
        throw FtpReplyError(reply.code, reply.lastLine());
    return reply;
}

std::string FtpClient::commandLine(FtpStep step, const std::string& argument) const
{
    checkSingleLine(argument);
    return std::string(ruleFor(step).command) + argument;
}

const FtpReply& FtpClient::command(FtpStep step, const std::string& argument)
{
    sendLine(commandLine(step, argument));
    return expect(step);
}

void FtpClient::transfer(FtpStep step, const std::string& argument, const DataWork& work)
{
    requireConnected();
    std::string line = commandLine(step, argument);
    if (step == FtpStep::List) {
        // "list" alone for an empty path; some servers refuse a trailing blank.
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
            line.pop_back();
    }

    std::unique_ptr<FtpDataConnection> data;
    if (m_settings.passive)
        openPassive(step, line, data);
    else
        openActive(step, line, data);

    // From here on the server owes a reply that ends the transfer, whatever happens.
    m_data = data.get();
    try {
        work(*data);
    } catch (...) {
        data->close();
        m_data = nullptr;
        recoverAfterFailedTransfer();
        throw;
    }
    data->close();
    m_data = nullptr;
    finishTransfer();
}

void FtpClient::openActive(FtpStep step, const std::string& line, std::unique_ptr<FtpDataConnection>& data)
{
    data = std::make_unique<FtpDataConnection>(FtpDataConnection::listenOn(m_control.localEndpoint().address));
    command(FtpStep::Port, FtpHostPort::format(data->listeningEndpoint()));
    sendLine(line);
    expect(step);
    try {
        data->acceptServer(m_control.peerEndpoint().address, m_settings.dataOnlyFromServer,
                           m_settings.timeLimits.dataAccept);
    } catch (...) {
        data->close();
        recoverAfterFailedTransfer();
        throw;
    }
}

void FtpClient::openPassive(FtpStep step, const std::string& line, std::unique_ptr<FtpDataConnection>& data)
{
    const Ipv4Endpoint named = FtpHostPort::parsePassiveReply(command(FtpStep::Passive).lastLine());
    // Only the port is taken from the reply: the address a server names could point the
    // client at any machine, so the data connection goes where the control connection went.
    const Ipv4Endpoint server{m_control.peerEndpoint().address, named.port};
    sendLine(line);
    try {
        data = std::make_unique<FtpDataConnection>(FtpDataConnection::connectTo(server, m_settings.timeLimits.connect));
    } catch (...) {
        recoverAfterFailedTransfer();
        throw;
    }
    expect(step == FtpStep::Store ? FtpStep::PassiveStore : step);
}

void FtpClient::finishTransfer()
{
    if (expect(FtpStep::EndOfTransfer).code == FtpCode::transferAborted)
        expect(FtpStep::AfterTransferAborted);
}

void FtpClient::recoverAfterFailedTransfer()
{
    // Read what the server says about the broken transfer so that the next command gets
    // its own reply; if it says nothing in time the connection cannot be trusted.
    if (!m_control.isOpen())
        return;
    try {
        int code = readReply().code;
        for (int count = 0; isPreliminary(code) && count < maxPreliminaryReplies; ++count)
            code = readReply().code;
        if (code == FtpCode::transferAborted)
            readReply();
    } catch (...) {
        closeControl();
    }
}
