#include "transfer/siteconnector.h"

#include "common/userdialogs.h"
#include "common/usererror.h"
#include "transfer/certificatetext.h"
#include "transfer/credentialstore.h"
#include "transfer/passphrasedialog.h"
#include "transfer/remotepane.h"
#include "transfer/sftp/sftpkeyfile.h"
#include "transfer/sitesettingseditor.h"
#include "transfer/sitesettingsstore.h"

#include <QFileInfo>

SiteConnector::SiteConnector(RemotePane &remote,
                             SiteSettingsStore &settings,
                             SiteSettingsEditor &editor,
                             UserDialogs &dialogs,
                             QWidget &window,
                             std::function<void()> saveSettings)
    : m_remote(remote), m_settings(settings), m_editor(editor), m_dialogs(dialogs), m_window(window),
      m_saveSettings(std::move(saveSettings)), m_prompts(dialogs, window)
{}

void SiteConnector::load(Identities which, const QString &path)
{
    Trust &store = trust(which);
    store.path = path;
    store.file.load(path);
}

SiteConnector::Identities SiteConnector::identitiesOf(const ServerCertificate &identity)
{
    return identity.keyType.empty() ? Identities::Certificates : Identities::HostKeys;
}

SiteConnector::Identities SiteConnector::identitiesOf(const RemoteJobs::Login &login)
{
    return login.security == ConnectionMethod::Sftp ? Identities::HostKeys : Identities::Certificates;
}

QString SiteConnector::acceptedKey(Identities which, const QString &host, quint16 port)
{
    return (which == Identities::HostKeys ? QStringLiteral("ssh ") : QString()) + TrustedCertificates::key(host, port);
}

void SiteConnector::writeTrust(Trust &store)
{
    try {
        store.file.write(store.path);
    } catch (const std::exception &error) {
        m_dialogs.showError(&m_window, userTextOf(error));
    }
}

void SiteConnector::connect(const QString &site, RemoteJobs::Login login)
{
    const SiteSettings settings = m_editor.settings();
    login.security = settings.security;
    login.dataMode = settings.dataMode;
    login.keyFile = settings.security == ConnectionMethod::Sftp ? settings.keyFile : QString();
    if (login.keyFile.isEmpty() || !SftpKeyFile::needsPassphrase(login.keyFile)) {
        connectWith(site, login);
        return;
    }
    if (!keyringUsable()) {
        if (askPassphrase(login))
            connectWith(site, login);
        return;
    }
    m_waitingForKeyring = true;
    m_keyring->read(
        passphraseKey(login.keyFile), &m_keyringAnswers, [this, site, login](const CredentialAnswer &answer) mutable {
            m_waitingForKeyring = false;
            // A kept passphrase that no longer unlocks the key (the key was changed) is asked anew.
            if (answer.done() && SftpKeyFile::opensWith(login.keyFile, answer.password))
                login.keyPassphrase = answer.password;
            else if (!askPassphrase(login))
                return;
            connectWith(site, login);
        });
}

QString SiteConnector::passphraseKey(const QString &keyFile)
{
    return QStringLiteral("ssh-key:") + QFileInfo(keyFile).absoluteFilePath();
}

bool SiteConnector::keyringUsable() const
{
    return m_keyring && m_keyring->availability() == CredentialStore::Availability::Available;
}

bool SiteConnector::askPassphrase(RemoteJobs::Login &login)
{
    for (;;) {
        PassphraseDialog dialog(login.keyFile, keyringUsable(), &m_window);
        if (m_dialogs.exec(&dialog) != QDialog::Accepted)
            return false;
        if (!SftpKeyFile::opensWith(login.keyFile, dialog.passphrase())) {
            m_dialogs.showError(&m_window,
                                QStringLiteral("パスフレーズが違います。鍵ファイル「%1」を作ったときのパスフレーズを"
                                               "入力してください。")
                                    .arg(login.keyFile));
            continue;
        }
        login.keyPassphrase = dialog.passphrase();
        if (dialog.keepInKeyring() && keyringUsable()) {
            m_keyring->write(
                passphraseKey(login.keyFile),
                login.keyPassphrase,
                &m_keyringAnswers,
                [this](const CredentialAnswer &answer) {
                    // The connection goes on; only the next one asks again.
                    if (!answer.done())
                        m_dialogs.showError(
                            &m_window,
                            QStringLiteral(
                                "パスフレーズをキーリングに保存できませんでした（次の接続でまた聞きます）。%1")
                                .arg(answer.error));
                });
        }
        return true;
    }
}

void SiteConnector::connectWith(const QString &site, RemoteJobs::Login login)
{
    if (login.security == ConnectionMethod::Ftp && !confirmPlain(site, login))
        return;
    m_remote.connectTo(
        withAccepted(login),
        [this, site](const RemoteJobs::Login &tried, const RemoteJobs::ConnectOutcome &outcome) {
            return onRefused(site, tried, outcome);
        },
        [this](const RemoteJobs::ConnectOutcome &outcome) { onStood(outcome); });
}

void SiteConnector::onStood(const RemoteJobs::ConnectOutcome &outcome)
{
    if (!outcome.serverCertificate || outcome.serverCertificate->problems != 0)
        return;
    const ServerCertificate &certificate = *outcome.serverCertificate;
    Trust &store = trust(identitiesOf(certificate));
    const QString trusted = store.file.trustedFingerprint(certificate);
    if (trusted.isEmpty() || trusted == QString::fromStdString(certificate.fingerprint))
        return;
    // The system's check vouches for the new one, so connecting was right; but the user chose
    // to trust the old one always, and a change they did not expect is theirs to look into.
    m_dialogs.warn(&m_window, CertificateText::replacedNotice(certificate, trusted));
    store.file.trust(certificate);
    writeTrust(store);
}

std::optional<RemoteJobs::Login>
SiteConnector::onRefused(const QString &site, const RemoteJobs::Login &tried, const RemoteJobs::ConnectOutcome &outcome)
{
    if (outcome.certificate)
        return onCertificateRefused(tried, *outcome.certificate);
    if (outcome.encryptionRequired && tried.security == ConnectionMethod::Ftp && !m_ftpsOfferedThisRun.contains(site))
        return onFtpsRequired(site, tried, outcome.failure);
    m_dialogs.showError(&m_window, outcome.failure);
    return std::nullopt;
}

std::optional<RemoteJobs::Login>
SiteConnector::onFtpsRequired(const QString &site, const RemoteJobs::Login &tried, const QString &failure)
{
    // Once: a server that then refuses FTPS too is not asked about again and again.
    m_ftpsOfferedThisRun.insert(site);
    if (!m_prompts.askSwitchToFtps(failure))
        return std::nullopt;
    SiteSettings settings = m_editor.settings();
    settings.security = ConnectionMethod::Ftps;
    remember(site, settings);
    RemoteJobs::Login again = tried;
    again.security = ConnectionMethod::Ftps;
    return withAccepted(again);
}

bool SiteConnector::confirmPlain(const QString &site, RemoteJobs::Login &login)
{
    SiteSettings settings = m_editor.settings();
    if (settings.plainWarningOff || m_plainAcceptedThisRun.contains(site))
        return true;
    const ConnectionPrompts::PlainChoice choice = m_prompts.askPlain(site, login.host, !m_settings.contains(site));
    switch (choice.answer) {
    case ConnectionPrompts::PlainAnswer::Stop:
        return false;
    case ConnectionPrompts::PlainAnswer::UseFtps:
        settings.security = ConnectionMethod::Ftps;
        login.security = ConnectionMethod::Ftps;
        break;
    case ConnectionPrompts::PlainAnswer::Connect:
        settings.plainWarningOff = choice.dontShowAgain;
        m_plainAcceptedThisRun.insert(site);
        break;
    }
    // Either way the site has chosen now: the FTPS offer is not made again.
    remember(site, settings);
    return true;
}

void SiteConnector::remember(const QString &site, const SiteSettings &settings)
{
    m_editor.show(settings);
    m_settings.store(site, settings);
    if (m_saveSettings)
        m_saveSettings();
}

RemoteJobs::Login SiteConnector::withAccepted(RemoteJobs::Login login) const
{
    // What the user trusts for this server goes along, so the client takes it without the
    // round of a refused connection.
    const Identities which = identitiesOf(login);
    QStringList accepted = m_acceptedThisRun.values(acceptedKey(which, login.host, login.port));
    accepted.append(trust(which).file.trustedFingerprint(login.host, login.port));
    for (const QString &fingerprint : accepted) {
        if (!fingerprint.isEmpty() && !login.acceptedCertificates.contains(fingerprint))
            login.acceptedCertificates.append(fingerprint);
    }
    return login;
}

std::optional<RemoteJobs::Login> SiteConnector::onCertificateRefused(const RemoteJobs::Login &tried,
                                                                     const ServerCertificate &certificate)
{
    const QString fingerprint = QString::fromStdString(certificate.fingerprint);
    if (tried.acceptedCertificates.contains(fingerprint)) {
        // Refused although accepted: asking again would go round in circles.
        m_dialogs.showError(&m_window,
                            certificate.keyType.empty() ? QStringLiteral("サーバーの証明書を受け入れられませんでした")
                                                        : QStringLiteral("サーバーの鍵を受け入れられませんでした"));
        return std::nullopt;
    }
    // The attempt goes on while the user looks at the certificate.
    m_remote.showStatus(RemotePane::connectingText());
    ConnectionPrompts::CertificateAnswer answer = ConnectionPrompts::CertificateAnswer::Once;
    const Identities which = identitiesOf(certificate);
    Trust &store = trust(which);
    switch (store.file.verdict(certificate)) {
    case TrustedCertificates::Verdict::Trusted:
        break; // the user chose to trust this very certificate: no question
    case TrustedCertificates::Verdict::Changed:
        answer = m_prompts.askChanged(certificate, store.file.trustedFingerprint(certificate));
        break;
    case TrustedCertificates::Verdict::Unknown:
        answer = m_prompts.askUnknown(certificate);
        break;
    }
    if (answer == ConnectionPrompts::CertificateAnswer::Refuse) {
        m_remote.showStatus(RemotePane::connectFailedText());
        return std::nullopt;
    }
    if (answer == ConnectionPrompts::CertificateAnswer::Always) {
        // Connecting now is what the user asked for, even when the file cannot be written.
        store.file.trust(certificate);
        writeTrust(store);
    }
    m_acceptedThisRun.insert(acceptedKey(which, QString::fromStdString(certificate.host), certificate.port),
                             fingerprint);
    return withAccepted(tried);
}
