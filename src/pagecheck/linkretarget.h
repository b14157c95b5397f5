#pragma once

#include <QString>

#include <optional>

// How an address written in a file of the site must read once a file or folder of the site has
// moved (a new name, or another folder), so that it leads where it led before. The address keeps
// its own form: a relative one stays relative, by the shortest path from where the file is now;
// one from the site's root ("/…") stays rooted; the query and #fragment, the percent-encoding
// and the letter case of what did not change are kept as written. Paths are inside the site,
// "/" between names ("img/cat.gif"). Plain logic: nothing is read from the disk.
namespace LinkRetarget {

struct Move
{
    QString from; // the file or folder before
    QString to;   // and after
};

// Where the entry at path is after the move: inside the moved folder, or the moved file itself,
// somewhere else; anything else where it was.
QString movedPath(const QString &path, const Move &move);

// The address's new text, or nullopt when it stays as written: an address on the web or on the
// user's own disk, one to the file itself ("#top"), one leading above the site's folder, or one
// that still leads to its target from where the file is now. address: as written, without the
// spaces around it. fileBefore: the path of the file it is written in, before the move.
std::optional<QString> rewritten(const QString &address, const QString &fileBefore, const Move &move);

} // namespace LinkRetarget
