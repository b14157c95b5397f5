#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs Debian's OpenSSH sshd by its absolute path, in the foreground with a configuration, a
// host key and a PID file of its own, on a free port of 127.0.0.1, for a throwaway local user
// it makes for the run (its home a temporary folder, its password known, its authorized keys
// those given) and removes again. The package's own service is never started. sshd needs
// root, its privilege-separation user and /run/sshd: the constructor makes what is missing.
// available() says whether it can run here.
class SshdServer
{
public:
    struct Options
    {
        bool passwords = true;                   // PasswordAuthentication
        bool keyboardInteractive = true;         // KbdInteractiveAuthentication (through PAM)
        bool sftp = true;                        // the sftp subsystem (internal-sftp)
        std::vector<std::string> authorizedKeys; // public key lines
        std::string parentFolder;                // of its own folder; the system's temporary one if empty
        // Every SFTP request logged to requestLog(), by OpenSSH's sftp-server in place of
        // internal-sftp (whose log the privilege separation filters).
        bool logRequests = false;
    };

    static bool available();

    // Throws std::runtime_error when the server cannot be started.
    explicit SshdServer(const Options &options);
    ~SshdServer();
    SshdServer(const SshdServer &) = delete;
    SshdServer &operator=(const SshdServer &) = delete;

    std::uint16_t port() const { return m_port; }
    const std::string &user() const { return m_user; }
    const std::string &password() const { return m_password; }
    // The user's home, where the SFTP session starts.
    const std::string &home() const { return m_home; }
    // With Options::logRequests: sftp-server's lines "request <id>: <operation>" among others.
    std::string requestLog() const { return m_folder + "/sftp-requests.log"; }

    // Stops the server, and with a new host key when asked, starts it again on the same port.
    void restart(bool newHostKey);
    // Kills the server and every session it runs at once, as a crash or a cut cable would.
    void kill();

    // A client key pair made with ssh-keygen: type "rsa", "ed25519" or "ecdsa"; pem for the
    // old PEM form instead of OpenSSH's. Returns the private key's path; the public line is
    // beside it in path + ".pub".
    std::string makeClientKey(const std::string &type, const std::string &passphrase, bool pem = false) const;
    static std::string publicLine(const std::string &privateKeyPath);

private:
    void makeUser();
    void writeConfig(const Options &options);
    void makeHostKey();
    void start();
    void stop();

    std::string m_folder;
    std::string m_home;
    std::string m_user;
    std::string m_password = "qz-Sftp-pass1";
    std::string m_config;
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
    mutable int m_keys = 0;
};
