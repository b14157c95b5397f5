#pragma once

#include "transfer/connectionprompts.h"
#include "transfer/remotejobs.h"
#include "transfer/trustedcertificates.h"

#include <QMultiHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class CredentialStore;
class RemotePane;
class SiteSettingsEditor;
class SiteSettingsStore;
struct SiteSettings;
class UserDialogs;
class QWidget;

// 接続 with the shown site's security: warns before a login that is not encrypted (and, for a
// site that predates the choice, offers FTPS in the same box), and when the server's
// certificate or SFTP host key fails the check, decides with the trusted store and the user
// whether to connect again with it accepted. A server that refuses a plain login because it
// wants FTPS gets the offer to switch, once a run; a certificate that passed the check but
// replaces one the user trusted always is told of. A locked SFTP key file's passphrase comes
// from the keyring when it was kept there and still unlocks the key, else it is asked (again
// while it does not unlock it), before the connection starts. Owns the trusted certificates and host keys and what the user
// accepted for this run; refers to the remote pane, the settings store and editor, and the
// dialogs.
class SiteConnector
{
public:
    // saveSettings: writes the settings store after an answer changed a site's settings.
    SiteConnector(RemotePane &remote,
                  SiteSettingsStore &settings,
                  SiteSettingsEditor &editor,
                  UserDialogs &dialogs,
                  QWidget &window,
                  std::function<void()> saveSettings);

    // What the user trusts: FTPS servers' certificates, or SFTP servers' host keys.
    enum class Identities {
        Certificates,
        HostKeys,
    };
    // Reads the trusted certificates or host keys. Throws UserError when the file cannot be read.
    void load(Identities which, const QString &path);
    // That file held more than could be read from it.
    bool trustedDamaged(Identities which) const { return trust(which).file.damaged(); }

    // site: the registered name shown; login: where and as whom, without the security, which
    // comes from the shown settings.
    void connect(const QString &site, RemoteJobs::Login login);
    // Where key passphrases may be kept; without one they serve a single connection.
    void setKeyring(CredentialStore &keyring) { m_keyring = &keyring; }
    // The keyring is being read for a key's passphrase before a connection.
    bool isWaiting() const { return m_waitingForKeyring; }

    // The keyring entry a key file's passphrase is kept under.
    static QString passphraseKey(const QString &keyFile);

private:
    // With the passphrase known (or none needed): the rest of 接続.
    void connectWith(const QString &site, RemoteJobs::Login login);
    // Asks until a passphrase unlocks the key; false when the user gave up.
    bool askPassphrase(RemoteJobs::Login &login);
    bool keyringUsable() const;
    // False when the user chose not to connect.
    bool confirmPlain(const QString &site, RemoteJobs::Login &login);
    // The login to try again with, or nothing when the user chose not to connect.
    std::optional<RemoteJobs::Login>
    onRefused(const QString &site, const RemoteJobs::Login &tried, const RemoteJobs::ConnectOutcome &outcome);
    std::optional<RemoteJobs::Login> onCertificateRefused(const RemoteJobs::Login &tried,
                                                          const ServerCertificate &certificate);
    std::optional<RemoteJobs::Login>
    onFtpsRequired(const QString &site, const RemoteJobs::Login &tried, const QString &failure);
    // A certificate that passed the check may still differ from the one trusted for the server:
    // the user is told, and the new one is trusted from now on.
    void onStood(const RemoteJobs::ConnectOutcome &outcome);
    RemoteJobs::Login withAccepted(RemoteJobs::Login login) const;

    struct Trust
    {
        TrustedCertificates file;
        QString path;
    };
    Trust &trust(Identities which) { return which == Identities::HostKeys ? m_hostKeys : m_certificates; }
    const Trust &trust(Identities which) const { return which == Identities::HostKeys ? m_hostKeys : m_certificates; }
    static Identities identitiesOf(const ServerCertificate &identity);
    static Identities identitiesOf(const RemoteJobs::Login &login);
    // The key of this run's acceptances: a host key and a certificate of one host and port
    // are never taken for each other.
    static QString acceptedKey(Identities which, const QString &host, quint16 port);
    // Writes the file; a failure is shown, and only the "always" is lost.
    void writeTrust(Trust &trust);
    void remember(const QString &site, const SiteSettings &settings);

    RemotePane &m_remote;
    SiteSettingsStore &m_settings;
    SiteSettingsEditor &m_editor;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    std::function<void()> m_saveSettings;
    ConnectionPrompts m_prompts;
    Trust m_certificates;
    Trust m_hostKeys;
    // Fingerprints the user accepted for this run (今回だけ接続), by host and port: a
    // reconnection does not ask again.
    QMultiHash<QString, QString> m_acceptedThisRun;
    // Sites whose unencrypted login the user accepted in this run.
    QSet<QString> m_plainAcceptedThisRun;
    // Sites offered FTPS in this run after the server refused their plain login.
    QSet<QString> m_ftpsOfferedThisRun;
    QPointer<CredentialStore> m_keyring;
    bool m_waitingForKeyring = false;
    // The context of keyring answers: none reaches a connector that is gone.
    QObject m_keyringAnswers;
};
