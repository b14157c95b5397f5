#pragma once

#include "pagecheck/checkrow.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// What the site check needs to know of one file of the site, read from its text once and kept
// while the text stays the same: the addresses it uses and where, the places a link can lead to
// (id, <a name>), its title and its charset. Worked out without the rest of the site, so one
// changed page is all a second check reads again.
struct FileFacts
{
    struct Place
    {
        int line = 1;   // from 1
        int column = 1; // from 1, in characters
        bool operator==(const Place &) const = default;
    };

    struct Reference
    {
        QString address; // as written, entities as written
        Place place;
        bool operator==(const Reference &) const = default;
    };

    struct Title
    {
        QString text; // trimmed; empty: the page has none, or an empty one
        Place place;
        bool operator==(const Title &) const = default;
    };

    struct Charset
    {
        QString declared; // as written, empty when the page declares none
        Place place;
        bool operator==(const Charset &) const = default;
    };

    QList<Reference> references;
    QSet<QString> anchors;
    // Pages only: a style sheet or a script has neither.
    std::optional<Title> title;
    std::optional<Charset> charset;
    bool asciiOnly = true;
    // The page check's own rows of the page, those the site check judges itself left out.
    CheckRows pageRows;

    bool operator==(const FileFacts &) const = default;
};
