#pragma once

#include <QDate>
#include <QString>

// The one short date format the whole program shows and stores: yyyy/mm/dd.
namespace DateFormat {

inline const QString kShortDate = QStringLiteral("yyyy/MM/dd");

inline QString shortDate(const QDate &date)
{
    return date.toString(kShortDate);
}

} // namespace DateFormat
