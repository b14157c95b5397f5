#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// What happens when the pane's document completes: the same address twice in a row counts
// once, local files and resource pages are neither recorded nor offered in the address list,
// and a web page is recorded in the visited-page list once per address and day.
namespace DocumentCompletion {

struct Outcome
{
    bool webPage = false;           // a web page completed: hide the progress, show "完了"
    bool recorded = false;          // a history line was appended
    bool insertIntoUrlList = false; // the address is new to the address list (ignoring case)
    QString address;                // what the address box shows from now on
};

// One history line: the date, the title and the address, each in double quotes (a double quote
// inside doubled), joined by commas.
QString historyLine(const QString &dateText, const QString &title, const QString &address);

// True when a line of the history holds both the date text and the address anywhere.
bool isRecorded(const QStringList &history, const QString &dateText, const QString &address);

// Updates lastUrl and appends to history; urlItems are the address list's current items.
Outcome handle(QString &lastUrl,
               QStringList &history,
               const QString &address,
               const QString &title,
               const QDate &today,
               const QStringList &urlItems);

} // namespace DocumentCompletion
