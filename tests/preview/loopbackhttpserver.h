#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTcpServer>

// A tiny HTTP server on 127.0.0.1 for browsing tests: it answers GET requests for the pages it
// was given (404 otherwise), one request per connection, and remembers every path asked for.
class LoopbackHttpServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoopbackHttpServer)

public:
    explicit LoopbackHttpServer(QObject *parent = nullptr);

    bool start();
    void addPage(const QString &path, const QByteArray &html);
    QString url(const QString &path) const;

    QStringList requestedPaths;

private:
    void answer(QTcpSocket *socket);

    QTcpServer m_server;
    QHash<QString, QByteArray> m_pages;
};
