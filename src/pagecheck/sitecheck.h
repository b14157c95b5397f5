#pragma once

#include "pagecheck/filefacts.h"
#include "pagecheck/sitejudgement.h"
#include "workspace/diskstamp.h"
#include "workspace/pagesource.h"
#include "workspace/site.h"

#include <QHash>

#include <functional>

// サイトチェック without its window: every page and style sheet of a site read (each page in
// its own encoding, an open tab's unsaved text in place of its file), their facts gathered on
// every core, and the whole site judged from them. What a run read is remembered by the file's
// stamp or the open text's hash, so the next run reads again only what changed. Safe on a
// worker thread; the memory belongs to one run at a time.
namespace SiteCheck {

struct Remembered
{
    bool open = false;   // from an open tab's text: told apart by hash, else by the file's stamp
    DiskStamp stamp;     // the file's, when not open
    size_t textHash = 0; // the text's, when open
    TextFormat::Encoding savedAs = TextFormat::Encoding::Cp932;
    FileFacts facts;
};

// By path inside the site; kept by whoever runs the checks, from one run to the next.
using Memory = QHash<QByteArray, Remembered>;

struct Input
{
    Site site;
    QHash<QByteArray, PageSource::Page> open; // the site's pages open in tabs, by path in the site
};

struct Hooks
{
    std::function<bool()> cancelled;                   // asked before each file
    std::function<void(int done, int total)> progress; // after each file, one call at a time
};

struct Outcome
{
    QList<SiteJudgement::FileRows> files; // paths as the screen shows them
    int pages = 0;                        // the pages checked
    int read = 0;                         // files whose facts were read anew, not remembered
    bool cancelled = false;               // stopped: files is empty
};

// Throws UserError when the site's folder cannot be listed.
Outcome run(const Input &input, Memory &memory, const Hooks &hooks = {});

} // namespace SiteCheck
