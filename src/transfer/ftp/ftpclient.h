#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "transfer/ftp/deadline.h"
#include "transfer/ftp/ftpreply.h"
#include "transfer/ftp/ftpreplyreader.h"
#include "transfer/ftp/ftpsettings.h"
#include "transfer/ftp/ftpstep.h"
#include "transfer/ftp/tcpsocket.h"

class FtpDataConnection;

// The FTP client the transfer window owns: one control connection, login, single commands
// checked against the reply codes each one accepts, and one data connection at a time for
// listings, downloads and uploads. Every call blocks until done or until a time limit in
// settings().timeLimits expires. Failures are thrown as FtpError and its kinds
// (FtpReplyError, ConnectionClosed, SocketError, FtpTimeoutError, FtpProtocolError);
// what() is the text to show. Names and paths are byte strings sent as they are.
class FtpClient {
public:
    FtpClient();
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    FtpSettings& settings() { return m_settings; }
    const FtpSettings& settings() const { return m_settings; }

    // Fired once the TCP connection stands, before the greeting is read.
    void setOnConnected(std::function<void()> handler) { m_onConnected = std::move(handler); }
    // Fired whenever an open control connection is closed, by either side.
    void setOnDisconnected(std::function<void()> handler) { m_onDisconnected = std::move(handler); }

    void connect();
    std::string currentDir();
    void changeDir(const std::string& path);
    void changeDirUp();
    void makeDir(const std::string& name);
    void removeDir(const std::string& name);
    void deleteFile(const std::string& name);
    void rename(const std::string& oldName, const std::string& newName);
    void site(const std::string& command);
    // The listing split at CR LF, lone CR and lone LF.
    std::vector<std::string> list(const std::string& path);
    void retrieve(const std::string& remoteName, const std::string& localPath, bool overwrite);
    void store(const std::string& localPath, const std::string& remoteName);
    void quit();
    void abort();
    bool isConnected();

    const FtpReply& lastReply() const { return m_lastReply; }

    // A listing is held whole in memory; this bounds what a server can make it hold.
    static constexpr std::size_t maxListingSize = 64 * 1024 * 1024;

    // Splits at CR LF, lone CR and lone LF; a line end at the very end adds no empty line.
    static std::vector<std::string> splitLines(const std::string& text);

private:
    using DataWork = std::function<void(FtpDataConnection&)>;

    void requireConnected() const;
    void closeControl();
    std::size_t readControl(char* buffer, std::size_t capacity);
    void sendLine(const std::string& line);
    const FtpReply& readReply();
    const FtpReply& expect(FtpStep step);
    const FtpReply& command(FtpStep step, const std::string& argument = {});
    std::string commandLine(FtpStep step, const std::string& argument) const;
    void login();
    void transfer(FtpStep step, const std::string& argument, const DataWork& work);
    void openActive(FtpStep step, const std::string& line, std::unique_ptr<FtpDataConnection>& data);
    void openPassive(FtpStep step, const std::string& line, std::unique_ptr<FtpDataConnection>& data);
    void finishTransfer();
    void recoverAfterFailedTransfer();

    FtpSettings m_settings;
    std::function<void()> m_onConnected;
    std::function<void()> m_onDisconnected;
    TcpSocket m_control;
    FtpReplyReader m_reader;
    FtpReply m_lastReply;
    std::optional<Deadline> m_replyDeadline;
    FtpDataConnection* m_data = nullptr; // the transfer under way, owned by transfer()
};
