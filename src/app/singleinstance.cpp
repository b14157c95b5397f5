#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

constexpr int kConnectMs = 1000;
constexpr int kWriteMs = 2000;

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent) : QObject(parent), m_name(serverName(key))
{}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString &key)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("qzweb-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::handOver(const QStringList &files)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    // One full path a line; an empty list still brings the running window to the front.
    socket.write(files.join(QLatin1Char('\n')).toUtf8() + '\n');
    if (!socket.waitForBytesWritten(kWriteMs))
        return false;
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(kWriteMs);
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a program that was killed answers nobody; it is taken over.
    if (!m_server->listen(m_name)) {
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, [this, client] {
                QStringList files;
                for (const QByteArray &line : client->readAll().split('\n')) {
                    if (!line.isEmpty())
                        files.append(QString::fromUtf8(line));
                }
                client->deleteLater();
                emit filesArrived(files);
            });
        }
    });
    return true;
}
