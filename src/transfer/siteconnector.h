#pragma once

#include "transfer/connectionprompts.h"
#include "transfer/remotejobs.h"
#include "transfer/trustedcertificates.h"

#include <QMultiHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class RemotePane;
class SiteSettingsEditor;
class SiteSettingsStore;
struct SiteSettings;
class UserDialogs;
class QWidget;

// 接続 with the shown site's security: warns before a login that is not encrypted (and, for a
// site that predates the choice, offers FTPS in the same box), and when the server's
// certificate fails the check, decides with the trusted-certificate store and the user whether
// to connect again with it accepted. A server that refuses a plain login because it wants FTPS
// gets the offer to switch, once a run; a certificate that passed the check but replaces one the
// user trusted always is told of. Owns the trusted certificates and what the user
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

    // Reads the trusted certificates. Throws UserError when their file cannot be read.
    void load(const QString &trustedPath);
    // The trusted-certificate file held more than could be read from it.
    bool trustedDamaged() const { return m_trusted.damaged(); }

    // site: the registered name shown; login: where and as whom, without the security, which
    // comes from the shown settings.
    void connect(const QString &site, RemoteJobs::Login login);

private:
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
    void remember(const QString &site, const SiteSettings &settings);

    RemotePane &m_remote;
    SiteSettingsStore &m_settings;
    SiteSettingsEditor &m_editor;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    std::function<void()> m_saveSettings;
    ConnectionPrompts m_prompts;
    TrustedCertificates m_trusted;
    QString m_trustedPath;
    // Fingerprints the user accepted for this run (今回だけ接続), by host and port: a
    // reconnection does not ask again.
    QMultiHash<QString, QString> m_acceptedThisRun;
    // Sites whose unencrypted login the user accepted in this run.
    QSet<QString> m_plainAcceptedThisRun;
    // Sites offered FTPS in this run after the server refused their plain login.
    QSet<QString> m_ftpsOfferedThisRun;
};
