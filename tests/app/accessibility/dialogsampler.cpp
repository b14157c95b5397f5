// Shows one of the transfer window's dialogs on fixed content, for the accessibility bus test
// to read as a screen reader would: the publish plan, or the question about an unknown server
// certificate or SSH host key. Reaching them through the real window needs a server that
// misbehaves on cue; the dialogs are the same classes either way. Prints the user's answer.
#include "common/qtuserdialogs.h"
#include "transfer/connectionprompts.h"
#include "transfer/publishdialog.h"
#include "transfer/servercertificate.h"

#include <QApplication>
#include <QTextStream>
#include <QWidget>

namespace {

PublishPlan::Item planItem(PublishPlan::State state, const char *path, qint64 size, bool checked)
{
    PublishPlan::Item item;
    item.state = state;
    item.local = state == PublishPlan::State::ServerOnly ? QByteArray() : QByteArray(path);
    item.remote = path;
    item.size = size;
    item.checked = checked;
    return item;
}

int showPublishPlan(QTextStream &out)
{
    using PublishPlan::State;
    PublishPlan::Plan plan;
    plan.items = {planItem(State::New, "index.html", 2048, true),
                  planItem(State::Changed, "about.html", 1024, true),
                  planItem(State::ServerOnly, "old.html", 512, false)};
    PublishDialog dialog(plan);
    if (dialog.exec() != QDialog::Accepted) {
        out << "cancelled\n";
        return 0;
    }
    for (const PublishPlan::Item &item : dialog.plan().items)
        out << item.shownPath() << '=' << (item.checked ? "checked" : "unchecked") << '\n';
    return 0;
}

ServerCertificate sampleIdentity(bool hostKey)
{
    ServerCertificate identity;
    identity.host = "127.0.0.1";
    if (hostKey) {
        identity.port = 2222;
        identity.keyType = "ssh-ed25519";
        identity.fingerprint = "SHA256:q1w2e3r4t5y6u7i8o9p0a1s2d3f4g5h6j7k8l9z0x1c";
    } else {
        identity.port = 2121;
        identity.names = {"localhost"};
        identity.subject = "CN=localhost";
        identity.issuer = "CN=localhost";
        identity.notBefore = 1700000000;
        identity.notAfter = 1900000000;
        identity.fingerprint =
            "AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89";
        identity.problems = ServerCertificate::SelfSigned | ServerCertificate::NameMismatch;
    }
    return identity;
}

int askAboutIdentity(QTextStream &out, bool hostKey)
{
    QtUserDialogs dialogs;
    QWidget window;
    ConnectionPrompts prompts(dialogs, window);
    switch (prompts.askUnknown(sampleIdentity(hostKey))) {
    case ConnectionPrompts::CertificateAnswer::Once:
        out << "once\n";
        break;
    case ConnectionPrompts::CertificateAnswer::Always:
        out << "always\n";
        break;
    case ConnectionPrompts::CertificateAnswer::Refuse:
        out << "refused\n";
        break;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTextStream out(stdout);
    const QString which = application.arguments().value(1);
    if (which == QLatin1String("publish"))
        return showPublishPlan(out);
    if (which == QLatin1String("certificate") || which == QLatin1String("hostkey"))
        return askAboutIdentity(out, which == QLatin1String("hostkey"));
    out << "usage: dialogsampler publish|certificate|hostkey\n";
    return 2;
}
