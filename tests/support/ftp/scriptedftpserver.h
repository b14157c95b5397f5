#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A stand-in FTP server for exact protocol cases: a real socket listening on 127.0.0.1 that
// serves one client by playing a script (send these bytes, read a command, open a data
// connection, close) on its own thread and records every command line the client sent.
// Every wait inside is bounded, so a wrong client fails the test instead of hanging it.
class ScriptedFtpServer
{
public:
    ScriptedFtpServer();
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer &) = delete;
    ScriptedFtpServer &operator=(const ScriptedFtpServer &) = delete;

    std::uint16_t port() const { return m_port; }

    // Script steps, played in order once start() is called.
    ScriptedFtpServer &send(const std::string &bytes);
    ScriptedFtpServer &reply(const std::string &line) { return send(line + "\r\n"); }
    ScriptedFtpServer &receive();
    // Reads one command and answers it with one line.
    ScriptedFtpServer &answer(const std::string &line) { return receive().reply(line); }
    // Listens for a passive data connection on 127.0.0.1 and sends a 227 reply naming the
    // given address (as "h1,h2,h3,h4") with the listener's port.
    ScriptedFtpServer &offerPassive(const std::string &namedAddress = "127,0,0,1");
    // The same with a 229 reply, which names only the port.
    ScriptedFtpServer &offerExtendedPassive();
    // Sends bytes on a data connection and closes it: to the address of the last PORT
    // command in active mode, on the passive listener after offerPassive().
    ScriptedFtpServer &sendData(const std::string &bytes);
    // Opens a data connection, sends the bytes and then nothing more, and waits for the
    // client to give up on it.
    ScriptedFtpServer &stallData(const std::string &bytes = {});
    // Opens a data connection and reads nothing from it for that long, as a server that stopped
    // taking an upload; then drops it.
    ScriptedFtpServer &holdData(int milliseconds);
    // Opens a data connection, reads about the given number of bytes, sends the reply line on
    // the control connection and resets the data connection while the client still sends.
    ScriptedFtpServer &refuseData(std::size_t bytesToRead, const std::string &line);
    // Sends the bytes on the control connection over and over, as fast as the client takes
    // them, until it closes the connection (or a few seconds pass).
    ScriptedFtpServer &flood(const std::string &bytes);
    // Receives a data connection's bytes until the client closes it.
    ScriptedFtpServer &receiveData();
    // Receives a data connection's bytes until a command arrives on the control connection
    // (left for the next receive()); fails when the client closes the data connection first.
    ScriptedFtpServer &receiveDataUntilCommand();
    // Connects to the last PORT address from 127.0.0.2, sends a few bytes and records
    // whether the client dropped the connection.
    ScriptedFtpServer &intrude();
    ScriptedFtpServer &closeControl();
    ScriptedFtpServer &pause(int milliseconds);

    void start();
    // Waits until the script has run and the client has closed the control connection.
    void finish();

    // Command lines as a server acts on them: Telnet bytes before a command are left out.
    std::vector<std::string> commands() const;
    // How many commands came after Telnet IP and Synch (IAC IP, then DM).
    int interruptedCommands() const;
    std::string receivedData() const;
    bool intruderDropped() const;
    // Empty when the script ran as written; otherwise what went wrong.
    std::string failure() const;

private:
    using Step = std::function<void()>;

    void run();
    // The next command line; nullopt when the client closed or stayed silent that long.
    std::optional<std::string> readCommand(int milliseconds);
    int openDataConnection();
    void record(std::string line);

    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::vector<Step> m_steps;
    std::thread m_thread;

    // Touched only by the script thread while it runs.
    int m_control = -1;
    int m_passiveListener = -1;
    std::string m_pending;
    std::string m_activeAddress;
    std::uint16_t m_activePort = 0;

    mutable std::mutex m_mutex;
    std::vector<std::string> m_commands;
    std::string m_receivedData;
    bool m_intruderDropped = false;
    int m_interruptedCommands = 0;
    std::string m_failure;
};
