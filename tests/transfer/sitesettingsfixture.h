#pragma once

#include "transfer/sitebook.h"
#include "transfer/sitesettingsstore.h"

#include <QDir>
#include <QString>

// The tests' servers speak plain FTP and their scripts expect PORT. Every site of the book in
// the data folder that has no settings yet gets plain FTP without the warning, in active mode,
// so what these tests put on the wire does not depend on what the automatic mode tries first.
// With everySite, sites stored through the window (which start as FTPS) get them too.
inline void givePlainActiveSettings(const QString &dataFolder, bool everySite = false)
{
    SiteBook book;
    book.load(QDir(dataFolder).filePath(SiteBook::kFileName));
    SiteSettingsStore store;
    const QString path = QDir(dataFolder).filePath(SiteSettingsStore::kFileName);
    store.load(path);
    for (int number = 1; number <= book.count(); ++number) {
        const QString name = book.record(number).name;
        if (everySite || !store.contains(name))
            store.store(name, {ConnectionMethod::Ftp, DataConnectionMode::Active, true, {}, {}});
    }
    store.write(path);
}
