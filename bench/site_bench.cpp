// site_bench: is サイト内検索 (Ctrl+Shift+F) over a site of a thousand pages as quick as the tool a
// user would reach for instead? Each line compares ours with a floor measured in the same run,
// medians of five, ours in a process of its own each time:
//
//   search_ascii 1000pages:    the site searched for an ASCII word (qzbenchword);
//   search_japanese 1000pages: for a Japanese one (月末).
//
// The site: 1,000 pages of about 20 KiB of Japanese prose, 500 Shift_JIS (CP932 bytes, CR LF,
// <meta charset="Shift_JIS">) in folders sjis00..sjis09 and 500 UTF-8 (LF) in utf00..utf09, each
// word 0 to 3 times a page, the counts taken from the pages' text as the bench wrote them.
//
//   ours:  the program's main window, made as main() makes it (see ProgramWindow), 1024x768 on an
//          X server (the one $DISPLAY names, or else a private Xvfb the bench starts and stops),
//          the site chosen with ファイル → サイトのフォルダを開く and the panel opened with
//          サイト内検索, the word in SiteSearchEdit and 大文字と小文字を区別 on (ripgrep's fixed
//          strings tell the case apart too). Timed from the click on 検索 until the search's
//          finished signal, so nothing before the button counts; first_ms until the results list
//          paints after its first page's row came; stall_ms the longest the window's thread went
//          without taking its events (a 5 ms timer, from the click until the list is painted and
//          200 ms more); ours_matches the match rows the list holds.
//   floor: ripgrep, `rg --count-matches --fixed-strings --encoding shift_jis` over the Shift_JIS
//          folders and `rg --count-matches --fixed-strings` over the UTF-8 ones: two processes,
//          each timed from its fork until it was reaped (its start-up counted), their times added;
//          floor_matches the counts it printed, added.
//
// Prints
//
//   site_bench <op> 1000pages ours_ms=.. floor_ms=.. ratio=<floor/ours> ours_matches=..
//              floor_matches=.. first_ms=.. stall_ms=.. goal=0.5
//
// Goals: ratio >= 0.5 (ours within twice ripgrep's time), first_ms <= 100, stall_ms <= 50, and
// both counts the pages' own; the bench exits 1 when one is missed. The replace line
// (sitereplacelines.h) is measured after them.
// Run with no arguments for every line, with "replace" for the replace line alone (it needs the
// xvfb and ripgrep packages without $DISPLAY).

#include "benchbasics.h"
#include "sitepages.h"
#include "sitereplacelines.h"
#include "sitesearchlines.h"
#include "xserver.h"

#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

[[noreturn]] void runChildMode(int &argc, char **argv)
{
    const std::string mode = argv[2];
    if (mode == "search" && argc == 5)
        SiteSearchLines::runChild(argc, argv);
    if (mode == "replace" && argc == 6)
        SiteReplaceLines::runChild(argc, argv);
    bench::fail("a child run needs its mode and arguments");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::string(argv[1]) == "--child")
        runChildMode(argc, argv);
    const bool replaceOnly = argc == 2 && std::string(argv[1]) == "replace";
    if (argc > 1 && !replaceOnly) {
        std::fprintf(stderr, "usage: site_bench [replace]\n");
        return 2;
    }
    prepareBrowserEngine();
    const XServer display;
    qputenv("QT_QPA_PLATFORM", "xcb");
    QTemporaryDir scratch;
    if (!scratch.isValid())
        bench::fail("no scratch folder");
    bool met = true;
    if (!replaceOnly)
        met &= SiteSearchLines::run(argv[0], SitePages::write(scratch.filePath(QStringLiteral("site"))));
    met &= SiteReplaceLines::run(argv[0], scratch.path());
    std::printf("site_bench goal %s\n", met ? "met" : "missed");
    return met ? 0 : 1;
}
