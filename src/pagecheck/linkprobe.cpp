#include "pagecheck/linkprobe.h"

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QSslSocket>

#include <memory>
#include <optional>
#include <variant>

namespace LinkProbe {

namespace {

// Waits are cut into slices so that stopped is heard soon.
constexpr int kSliceMs = 100;
// A status line and headers longer than this are not a web server's.
constexpr qsizetype kLargestHead = 32 * 1024;

struct Answer
{
    int status = 0;
    QByteArray location;
};

// What went wrong on one hop: a result to stop with.
struct HopFailure
{
    Result result;
};

class Hop
{
public:
    Hop(const QUrl &url, const AddressGuard &guard, const Limits &limits, const std::function<bool()> &stopped)
        : m_url(url), m_guard(guard), m_limitMs(limits.hopMs), m_deadline(limits.hopMs), m_stopped(stopped)
    {}

    // The server's answer to method, or the failure that ended the hop.
    std::variant<Answer, HopFailure> ask(const QByteArray &method)
    {
        try {
            const QHostAddress address = resolve();
            connectTo(address);
            send(method);
            return readAnswer();
        } catch (const HopFailure &failure) {
            return failure;
        }
    }

private:
    [[noreturn]] static void fail(Verdict verdict, const QString &reason, int status = 0)
    {
        throw HopFailure{{verdict, status, reason}};
    }

    void checkTime() const
    {
        if (m_stopped && m_stopped())
            fail(Verdict::Stopped, QStringLiteral("中止しました"));
        if (m_deadline.hasExpired())
            fail(Verdict::TimedOut, QStringLiteral("%1 秒以内に返事がありませんでした").arg((m_limitMs + 999) / 1000));
    }

    QHostAddress resolve() const
    {
        const QString host = m_url.host();
        QHostAddress literal;
        QList<QHostAddress> addresses;
        if (literal.setAddress(host)) {
            addresses = {literal};
        } else {
            const QHostInfo info = QHostInfo::fromName(host);
            checkTime();
            addresses = info.addresses();
            if (info.error() != QHostInfo::NoError || addresses.isEmpty())
                fail(Verdict::Failed, QStringLiteral("サーバー %1 が見つかりません").arg(host));
        }
        for (const QHostAddress &address : addresses) {
            if (m_guard.allows(address))
                return address;
        }
        fail(Verdict::Refused,
             QStringLiteral(
                 "%1 はこのパソコンや家庭・会社の中のネットワークを指すアドレス（%2）なので、確かめませんでした")
                 .arg(host, addresses.first().toString()));
    }

    void connectTo(const QHostAddress &address)
    {
        const bool secure = m_url.scheme() == QLatin1String("https");
        const quint16 port = quint16(m_url.port(secure ? 443 : 80));
        m_socket = std::make_unique<QSslSocket>();
        if (secure)
            m_socket->connectToHostEncrypted(address.toString(), port, m_url.host());
        else
            m_socket->connectToHost(address, port);
        while (m_socket->state() != QAbstractSocket::ConnectedState || (secure && !m_socket->isEncrypted())) {
            checkTime();
            const bool progressed =
                secure ? m_socket->waitForEncrypted(kSliceMs) : m_socket->waitForConnected(kSliceMs);
            if (!progressed && m_socket->error() != QAbstractSocket::SocketTimeoutError
                && m_socket->error() != QAbstractSocket::UnknownSocketError)
                fail(Verdict::Failed, socketReason());
        }
    }

    QString socketReason() const
    {
        switch (m_socket->error()) {
        case QAbstractSocket::ConnectionRefusedError:
            return QStringLiteral("サーバーが接続を断りました");
        case QAbstractSocket::RemoteHostClosedError:
            return QStringLiteral("サーバーが途中で接続を切りました");
        case QAbstractSocket::SslHandshakeFailedError:
            return QStringLiteral("https の証明書を確かめられませんでした（%1）").arg(m_socket->errorString());
        default:
            break;
        }
        return QStringLiteral("つながりませんでした（%1）").arg(m_socket->errorString());
    }

    void send(const QByteArray &method)
    {
        QByteArray target = m_url.path(QUrl::FullyEncoded).toLatin1();
        if (target.isEmpty())
            target = "/";
        if (m_url.hasQuery())
            target += '?' + m_url.query(QUrl::FullyEncoded).toLatin1();
        QByteArray host = m_url.host(QUrl::FullyEncoded).toLatin1();
        if (host.contains(':'))
            host = '[' + host + ']';
        if (m_url.port() != -1)
            host += ':' + QByteArray::number(m_url.port());
        m_socket->write(method + ' ' + target + " HTTP/1.1\r\nHost: " + host
                        + "\r\nUser-Agent: QZWeb-LinkCheck\r\nAccept: */*\r\nConnection: close\r\n\r\n");
        while (m_socket->bytesToWrite() > 0) {
            checkTime();
            if (!m_socket->waitForBytesWritten(kSliceMs) && m_socket->state() != QAbstractSocket::ConnectedState)
                fail(Verdict::Failed, socketReason());
        }
    }

    Answer readAnswer()
    {
        QByteArray head;
        while (!head.contains("\r\n\r\n")) {
            checkTime();
            if (m_socket->bytesAvailable() == 0 && !m_socket->waitForReadyRead(kSliceMs)) {
                if (m_socket->state() != QAbstractSocket::ConnectedState)
                    break; // what came is all there is
                continue;
            }
            head += m_socket->readAll();
            if (head.size() > kLargestHead)
                fail(Verdict::Failed, QStringLiteral("サーバーの返事が読めませんでした"));
        }
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> status = lines.value(0).trimmed().split(' ');
        bool number = false;
        Answer answer;
        answer.status = status.value(1).toInt(&number);
        if (!status.value(0).startsWith("HTTP/") || !number)
            fail(Verdict::Failed, QStringLiteral("サーバーの返事が読めませんでした"));
        for (const QByteArray &line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().compare("location", Qt::CaseInsensitive) == 0)
                answer.location = line.mid(colon + 1).trimmed();
        }
        return answer;
    }

    QUrl m_url;
    const AddressGuard &m_guard;
    int m_limitMs = 0;
    QDeadlineTimer m_deadline;
    const std::function<bool()> &m_stopped;
    std::unique_ptr<QSslSocket> m_socket;
};

bool isWeb(const QUrl &url)
{
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        && !url.host().isEmpty();
}

Result verdictOf(const Answer &answer)
{
    if (answer.status >= 200 && answer.status < 300)
        return {Verdict::Fine, answer.status, {}};
    if (answer.status == 404 || answer.status == 410)
        return {Verdict::Missing,
                answer.status,
                QStringLiteral("サーバーの返事は %1（%2）")
                    .arg(answer.status)
                    .arg(answer.status == 404 ? QStringLiteral("見つかりません") : QStringLiteral("もうありません"))};
    return {Verdict::Failed, answer.status, QStringLiteral("サーバーの返事は %1").arg(answer.status)};
}

} // namespace

Result probe(const QUrl &start, const AddressGuard &guard, const Limits &limits, const std::function<bool()> &stopped)
{
    QUrl url = start;
    for (int hop = 0; hop <= limits.redirects; ++hop) {
        if (!isWeb(url))
            return {Verdict::Failed,
                    0,
                    QStringLiteral("http でも https でもないアドレス %1 へ転送されます").arg(url.toString())};
        std::variant<Answer, HopFailure> asked = Hop(url, guard, limits, stopped).ask("HEAD");
        // Some servers answer nothing but GET.
        if (const Answer *answer = std::get_if<Answer>(&asked);
            answer && (answer->status == 405 || answer->status == 501))
            asked = Hop(url, guard, limits, stopped).ask("GET");
        if (const HopFailure *failure = std::get_if<HopFailure>(&asked))
            return failure->result;
        const Answer &answer = std::get<Answer>(asked);
        const bool redirect = answer.status == 301 || answer.status == 302 || answer.status == 303
            || answer.status == 307 || answer.status == 308;
        if (!redirect)
            return verdictOf(answer);
        if (answer.location.isEmpty())
            return {
                Verdict::Failed, answer.status, QStringLiteral("転送先が示されていません（%1）").arg(answer.status)};
        url = url.resolved(QUrl::fromEncoded(answer.location));
    }
    return {Verdict::Failed, 0, QStringLiteral("転送が %1 回を超えました").arg(limits.redirects)};
}

} // namespace LinkProbe
