#include "transfer/serverended.h"

#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftpreplyerror.h"

namespace ServerEnded {

namespace {

constexpr int kServiceClosing = 421;

QString core()
{
    return QStringLiteral("接続を切りました");
}

} // namespace

bool check(FtpClient &client, const std::exception &error)
{
    if (dynamic_cast<const ConnectionClosed *>(&error))
        return true;
    const auto *reply = dynamic_cast<const FtpReplyError *>(&error);
    if (!reply || reply->code() != kServiceClosing)
        return false;
    client.quit();
    return true;
}

QString explain(const QString &failure)
{
    if (failure.contains(core()))
        return failure;
    return QStringLiteral("サーバーが") + core() + QStringLiteral("。もう一度接続してください\n") + failure;
}

} // namespace ServerEnded
