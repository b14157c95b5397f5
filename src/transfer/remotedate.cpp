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

bool RemoteDate::matches(const RemoteDate &other) const
{
    if (!day.isValid() || !other.day.isValid() || exact != other.exact)
        return true;
    if (day != other.day)
        return false;
    if (!time.isValid() || !other.time.isValid())
        return true;
    if (exact)
        return time.hour() == other.time.hour() && time.minute() == other.time.minute()
            && time.second() == other.time.second();
    return time.hour() == other.time.hour() && time.minute() == other.time.minute();
}

RemoteDate RemoteDate::fromMachineTime(QByteArrayView text)
{
    constexpr qsizetype kDigits = 14;
    if (text.size() < kDigits || (text.size() > kDigits && text.at(kDigits) != '.'))
        return {};
    int fields[6] = {};
    const int widths[6] = {4, 2, 2, 2, 2, 2};
    qsizetype at = 0;
    for (int index = 0; index < 6; ++index) {
        for (int digit = 0; digit < widths[index]; ++digit, ++at) {
            const char c = text.at(at);
            if (c < '0' || c > '9')
                return {};
            fields[index] = fields[index] * 10 + (c - '0');
        }
    }
    const QDate day(fields[0], fields[1], fields[2]);
    const QTime time(fields[3], fields[4], fields[5]);
    if (!day.isValid() || !time.isValid())
        return {};
    return {day, time, true};
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
