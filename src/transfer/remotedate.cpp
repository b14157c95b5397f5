#include "transfer/remotedate.h"

#include "common/dateformat.h"

namespace {

// Far enough back to find a leap year, near enough to stop at once on a day that never is.
constexpr int kYearsToTry = 8;
constexpr int kCenturyPivot = 70;

} // namespace

QString RemoteDate::text() const
{
    if (!day.isValid())
        return QString();
    const QString date = DateFormat::shortDate(day);
    return time.isValid() ? date + QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm")) : date;
}

QDate RemoteDate::dayWithoutYear(int month, int day, const QDate &today)
{
    const QDate latest = today.addDays(1);
    for (int year = today.year(); year > today.year() - kYearsToTry; --year) {
        const QDate candidate(year, month, day);
        if (candidate.isValid() && candidate <= latest)
            return candidate;
    }
    return QDate();
}

int RemoteDate::fullYear(int year)
{
    if (year >= 100)
        return year;
    return year >= kCenturyPivot ? 1900 + year : 2000 + year;
}
