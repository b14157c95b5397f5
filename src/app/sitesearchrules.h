#pragma once

#include "app/replacerules.h"

#include <QList>
#include <QString>

// What サイト内検索 shows of one page: each match with the line it is on, as a row the user reads
// and chooses to go there. Works on the editor's text with CR LF line ends, so a match's range is
// where the editor selects it.
namespace SiteSearchRules {

// A line longer than this is cut: a page minified onto one line would fill the row with markup.
constexpr int kLineTextLimit = 200;

struct Match
{
    int line = 0;     // from 1
    QString lineText; // trimmed and cut to kLineTextLimit
    ReplaceRules::Range range;

    bool operator==(const Match &) const = default;
};

// Every match of the page in order. An empty match (a regular expression such as ^) leaves
// nothing to see or select, so it gives no row.
QList<Match> matchesIn(const ReplaceRules::Pattern &pattern, const QString &crlfText);

// 「12 行目: <the line>」
QString rowText(const Match &match);
// 「index.html (3 件)」
QString pageText(const QString &path, qsizetype count);
// Where a run stands, for the panel's status line.
QString progressText(int done, int total);
QString outcomeText(int pages, int matches, int skipped);
// What a search or replace over the site says when no site is chosen.
QString noSiteText();

} // namespace SiteSearchRules
