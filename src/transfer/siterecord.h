#pragma once

#include <QString>

// One entry of the site book: what the four text boxes and the folder label show, and the
// book's line it is read from and written as.
struct SiteRecord
{
    static constexpr int kFieldCount = 5;

    QString name;
    QString host;
    QString user;
    QString password; // as typed; empty when the keyring holds it or it is asked at 接続
    QString folder;   // remote folder to open after login; empty: the login folder

    // The record a line holds: split at every comma, a field the line lacks reads as empty,
    // fields after the fifth are not the record's.
    static SiteRecord fromLine(const QString &line);
    // The book's line: the five fields joined by commas.
    QString line() const;

    bool operator==(const SiteRecord &) const = default;
};
