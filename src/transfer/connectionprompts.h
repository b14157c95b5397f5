#pragma once

#include <QString>

struct ServerCertificate;
class QWidget;
class UserDialogs;

// The questions a connection's security raises, asked through UserDialogs on the window's
// thread: the warning before a login that is not encrypted, the offer of FTPS to a server that
// wants it, and the questions about a server certificate that failed the check. Only asks; what follows from the answers is the caller's.
class ConnectionPrompts
{
public:
    enum class PlainAnswer {
        Connect, // 接続: plain FTP this time
        UseFtps, // FTPS で接続
        Stop,    // やめる
    };
    struct PlainChoice
    {
        PlainAnswer answer = PlainAnswer::Stop;
        bool dontShowAgain = false; // 今後このサイトでは表示しない
    };

    enum class CertificateAnswer {
        Refuse, // 接続しない
        Once,   // 今回だけ接続
        Always, // 常にこの証明書を信頼 (常にこの鍵を信頼 for an SSH host key)
    };

    ConnectionPrompts(UserDialogs &dialogs, QWidget &window) : m_dialogs(dialogs), m_window(window) {}

    // offerFtps: the site never chose plain FTP (it predates the choice), so trying FTPS is
    // offered in the same box.
    PlainChoice askPlain(const QString &site, const QString &host, bool offerFtps);
    // A certificate nothing trusts yet for its host and port.
    CertificateAnswer askUnknown(const ServerCertificate &certificate);
    // A certificate other than the one the user chose to trust always for its host and port.
    CertificateAnswer askChanged(const ServerCertificate &certificate, const QString &trustedFingerprint);

    // The server refused a plain login because it wants FTPS (failure says so): true when the
    // user chose to switch the site to FTPS and connect again.
    bool askSwitchToFtps(const QString &failure);

    static QString plainWarning(const QString &site, const QString &host, bool offerFtps);

private:
    CertificateAnswer
    askCertificate(const ServerCertificate &certificate, const QString &title, const QString &text, bool loud);

    UserDialogs &m_dialogs;
    QWidget &m_window;
};
