#pragma once

#include <QString>

// One entry of the site book: what the four text boxes and the folder label show.
struct SiteRecord
{
    QString name;
    QString host;
    QString user;
    QString password; // as typed; the book file is private to its owner
    QString folder;   // remote folder to open after login; empty: the login folder

    // The book's line: the five fields joined by commas.
    QString line() const;

    bool operator==(const SiteRecord &) const = default;
};
