#pragma once

#include "common/textcodec.h"
#include "pagecheck/checkrow.h"
#include "pagecheck/filefacts.h"
#include "pagecheck/siteindex.h"
#include "workspace/sitefilekind.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What only the whole site shows, from the facts of each of its files: addresses to files that
// are missing, differ in letter case, lie outside the site or on the user's own disk; links to
// places a page does not have; pages nothing leads to from the top page; files nothing uses;
// charsets that differ from how a page is saved or from the rest of the site; titles missing or
// the same on several pages. Plain logic over what it is given: reads nothing.
namespace SiteJudgement {

struct File
{
    QString path; // inside the site, "/" between names
    SiteFileKind kind = SiteFileKind::Other;
    std::optional<FileFacts> facts; // none: a file that is not text, or could not be read
    TextFormat::Encoding savedAs = TextFormat::Encoding::Cp932;
    QByteArray bytes; // the path in the file system's bytes, handed on to the file's rows
};

struct FileRows
{
    QString path;
    QByteArray bytes;
    CheckRows rows; // in the order of the file (line, then column)
};

// The rows of each file that has any (the page check's own rows of each page among them), in
// the order of files.
QList<FileRows> judge(const QList<File> &files, const SiteIndex &index);

} // namespace SiteJudgement
