#include "preview/offlinerequestinterceptor.h"

#include <QWebEngineUrlRequestInfo>

OfflineRequestInterceptor::OfflineRequestInterceptor(QObject *parent) : QWebEngineUrlRequestInterceptor(parent)
{}

bool OfflineRequestInterceptor::isNetworkScheme(const QString &scheme)
{
    static const QStringList networkSchemes = {
        QStringLiteral("http"),
        QStringLiteral("https"),
        QStringLiteral("ws"),
        QStringLiteral("wss"),
        QStringLiteral("ftp"),
    };
    return networkSchemes.contains(scheme, Qt::CaseInsensitive);
}

void OfflineRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (m_offline && isNetworkScheme(info.requestUrl().scheme()))
        info.block(true);
    else if (!m_frameDownloads && info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeSubFrame)
        info.block(true);
}
