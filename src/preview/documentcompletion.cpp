#include "preview/documentcompletion.h"

#include "common/dateformat.h"
#include "preview/webliststore.h"

namespace DocumentCompletion {

namespace {

// The three-letter prefixes of addresses that are not web pages: local files, the preview
// among them, and the engine's own resource pages.
bool isLocalPage(const QString &address)
{
    const QString prefix = address.left(3).toLower();
    return prefix == QLatin1String("fil") || prefix == QLatin1String("res");
}

} // namespace

QString historyLine(const QString &dateText, const QString &title, const QString &address)
{
    return WebListStore::line(dateText, title, address);
}

bool isRecorded(const QStringList &history, const QString &dateText, const QString &address)
{
    // The lines hold their fields as written, a double quote doubled.
    const QString written = QString(address).replace(QLatin1Char('"'), QStringLiteral("\"\""));
    for (const QString &line : history) {
        if (line.contains(dateText) && line.contains(written))
            return true;
    }
    return false;
}

Outcome handle(QString &lastUrl,
               QStringList &history,
               const QString &address,
               const QString &title,
               const QDate &today,
               const QStringList &urlItems)
{
    Outcome outcome;
    if (address == lastUrl)
        return outcome;
    lastUrl = address;
    if (address.isEmpty() || isLocalPage(address))
        return outcome;

    outcome.webPage = true;
    outcome.address = address;
    const QString dateText = DateFormat::shortDate(today);
    if (!isRecorded(history, dateText, address)) {
        history.append(historyLine(dateText, title, address));
        outcome.recorded = true;
    }
    outcome.insertIntoUrlList = !urlItems.contains(address, Qt::CaseInsensitive);
    return outcome;
}

} // namespace DocumentCompletion
