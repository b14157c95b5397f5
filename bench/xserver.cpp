#include "xserver.h"

#include "benchbasics.h"

#include <QFile>
#include <QRandomGenerator>

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using bench::fail;

void prepareBrowserEngine()
{
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
}

XServer::XServer()
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    if (!m_scratch.isValid())
        fail("no scratch folder");
    const QString authority = m_scratch.filePath(QStringLiteral("Xauthority"));
    // A cookie for any address; the server takes every cookie in its file, the clients the
    // one with their display's number, added once the server has picked it.
    m_cookie.resize(4);
    QRandomGenerator::system()->generate(m_cookie.begin(), m_cookie.end());
    writeAuthority(authority, {QByteArray()});
    int fds[2];
    if (::pipe(fds) != 0)
        fail("no pipe for Xvfb");
    m_pid = ::fork();
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::close(fds[0]);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        const std::string fd = std::to_string(fds[1]);
        const QByteArray auth = authority.toLocal8Bit();
        ::execlp("Xvfb",
                 "Xvfb",
                 "-displayfd",
                 fd.c_str(),
                 "-auth",
                 auth.constData(),
                 "-screen",
                 "0",
                 "1280x960x24",
                 "-nolisten",
                 "tcp",
                 static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    if (number.empty())
        fail("Xvfb did not start (is the xvfb package installed?)");
    writeAuthority(authority, {QByteArray(), QByteArray::fromStdString(number)});
    qputenv("DISPLAY", QByteArray(":") + QByteArray::fromStdString(number));
    qputenv("XAUTHORITY", authority.toLocal8Bit());
}

XServer::~XServer()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void XServer::writeAuthority(const QString &path, const QList<QByteArray> &numbers) const
{
    QByteArray entries;
    const auto field = [&entries](const QByteArray &bytes) {
        entries.append(char(bytes.size() >> 8)).append(char(bytes.size() & 0xff)).append(bytes);
    };
    for (const QByteArray &display : numbers) {
        entries.append(char(0xff)).append(char(0xff)); // FamilyWild
        field({});
        field(display);
        field("MIT-MAGIC-COOKIE-1");
        field(QByteArray(reinterpret_cast<const char *>(m_cookie.data()), qsizetype(m_cookie.size()) * 4));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entries) != entries.size())
        fail("cannot write the X authority file");
}
