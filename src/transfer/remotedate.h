#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QTime>

// When a remote entry last changed, as far as its listing line says: the day, and the time of
// day where the listing gives one (older entries show a year in its place). Kept as values, so
// the list sorts by time and not by the month's name.
struct RemoteDate
{
    QDate day;  // invalid when the line named a day no calendar has (Feb 30)
    QTime time; // invalid when the listing gave the year instead of the time
    // In UTC to the second, as a machine listing (MLSD) or MDTM gives it; otherwise the
    // minute of a listing, in whatever time zone the server lists in.
    bool exact = false;

    // "2026/12/08 12:34", or "2003/01/05" when only the day is known: the form the local list
    // shows its dates in. Empty for a day no calendar has.
    QString text() const;

    // Whether two times of one file can be the same moment, as far as the coarser of the two
    // tells: a day alone (a listing's entry older than half a year) matches any time of that
    // day. A time from a listing and an exact one may be in different time zones and tell
    // nothing about each other, and neither does a missing one: they match.
    bool matches(const RemoteDate &other) const;

    // "YYYYMMDDHHMMSS", fractions of a second ignored, as MLSD's modify fact and MDTM give it;
    // an exact date. Invalid for any other text.
    static RemoteDate fromMachineTime(QByteArrayView text);

    // Older first; on the same day an entry without a time comes first.
    friend bool operator<(const RemoteDate &a, const RemoteDate &b)
    {
        return a.day != b.day ? a.day < b.day : a.time < b.time;
    }
    friend bool operator==(const RemoteDate &a, const RemoteDate &b) = default;

    // The year a Unix listing leaves out ("Dec 08 12:34"): ls shows the time instead of the
    // year only for the last half year, so the month and day are in the year of today, or the
    // one before when that would put them more than a day ahead (clocks and time zones of
    // client and server differ). A 29 February goes back to the last leap year.
    static QDate dayWithoutYear(int month, int day, const QDate &today);
    // Two-digit years of Windows listings: 70 to 99 are 1970 to 1999, the others 2000 on.
    static int fullYear(int year);
};
