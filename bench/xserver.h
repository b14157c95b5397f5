#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>
#include <vector>

// The browser engine refuses to run as root with its sandbox, and there is no GPU to use on a
// private server: what a bench sets before its first window, unless the caller chose otherwise.
void prepareBrowserEngine();

// The X server the bench's windows are shown on: the one $DISPLAY names, or else a private
// Xvfb on a display number it picks itself, with a cookie of its own, stopped at the end.
class XServer
{
public:
    XServer();
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

private:
    // Entries of the X authority format (family, address, display number, name, data) for any
    // address, one per display number.
    void writeAuthority(const QString &path, const QList<QByteArray> &numbers) const;

    QTemporaryDir m_scratch;
    std::vector<quint32> m_cookie;
    pid_t m_pid = -1;
};
