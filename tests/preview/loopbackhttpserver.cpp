#include "loopbackhttpserver.h"

#include <QTcpSocket>

LoopbackHttpServer::LoopbackHttpServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

bool LoopbackHttpServer::start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void LoopbackHttpServer::addPage(const QString &path, const QByteArray &html)
{
    m_pages.insert(path, html);
}

QString LoopbackHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

void LoopbackHttpServer::answer(QTcpSocket *socket)
{
    // Wait for the whole header; the browser sends no body with GET.
    const QByteArray head = socket->peek(socket->bytesAvailable());
    if (!head.contains("\r\n\r\n"))
        return;
    socket->readAll();
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = requestLine.size() >= 2 ? QString::fromLatin1(requestLine.at(1)) : QString();
    requestedPaths.append(path);
    const bool found = m_pages.contains(path);
    const QByteArray body = found ? m_pages.value(path) : QByteArray("not found");
    QByteArray response = found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n";
    response += "Content-Type: text/html; charset=utf-8\r\n";
    response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    response += "Connection: close\r\n\r\n";
    response += body;
    socket->write(response);
    socket->disconnectFromHost();
}
