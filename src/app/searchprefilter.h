#pragma once

#include "app/replacerules.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Tells, from a file's bytes alone, that a search cannot match in it, so that most files of a
// large site are never decoded. Only for a search whose text must stand in the page as typed
// (letter case told apart, not a regular expression): the page then holds the text's bytes in
// its own encoding, UTF-8 or CP932. A text with a character CP932 spells more than one way (the
// NEC and IBM extension rows) could stand in a page in bytes of another spelling: it is not
// filtered.
class SearchPrefilter
{
public:
    SearchPrefilter(const QString &searchText, ReplaceRules::Options options);

    // False only when the bytes cannot hold a match.
    bool mayMatch(QByteArrayView bytes) const;

private:
    bool m_filters = false;
    bool m_cp932Known = false; // the text has one CP932 spelling
    QByteArray m_utf8;
    QByteArray m_cp932;
};
