#include "transfer/siterecord.h"

#include <QStringList>

SiteRecord SiteRecord::fromLine(const QString &line)
{
    QStringList fields = line.split(QLatin1Char(','));
    while (fields.size() < kFieldCount)
        fields.append(QString());
    return {fields.at(0), fields.at(1), fields.at(2), fields.at(3), fields.at(4)};
}

QString SiteRecord::line() const
{
    return QStringList{name, host, user, password, folder}.join(QLatin1Char(','));
}
