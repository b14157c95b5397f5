#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

// One program per user and data folder: a start while one runs hands its files to the running
// one (through a local socket only the user can reach) and ends, and the running one opens them
// as tabs. Programs with different data folders (a portable copy, a test's scratch folder) keep
// to themselves. Owns the server once this program is the one that runs.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    // key: what tells programs apart (the data folder).
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when a running program took the files (full paths); this one should then end.
    bool handOver(const QStringList &files);
    // Becomes the running program: later starts reach it. False when the socket cannot be made,
    // and the program then simply runs alone.
    bool listen();

    static QString serverName(const QString &key);

signals:
    void filesArrived(const QStringList &files);

private:
    QString m_name;
    QLocalServer *m_server = nullptr;
};
