// What a session remembers of the files it stored follows what it did to them afterwards, and
// forgets what it can no longer vouch for.
#include "transfer/recentlystored.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

RemoteItem file(const char *name, const char *attributes = "-rw-r--r--")
{
    RemoteItem item;
    item.name = name;
    item.size = 10;
    item.attributes = QString::fromLatin1(attributes);
    return item;
}

TEST(RecentlyStored, FollowsTheSessionsOwnChanges)
{
    struct Case
    {
        const char *what;
        std::function<void(RecentlyStored &)> after; // done after /s/.a.tmp was stored
        const char *path;                            // asked for afterwards
        const char *attributes;                      // what it reads; nullptr: not known
    };
    const Case cases[] = {
        {"as stored", [](RecentlyStored &) {}, "/s/.a.tmp", "-rw-r--r--"},
        {"renamed", [](RecentlyStored &r) { r.renamed("/s/.a.tmp", "/s/a.html"); }, "/s/a.html", "-rw-r--r--"},
        {"not under its old name",
         [](RecentlyStored &r) { r.renamed("/s/.a.tmp", "/s/a.html"); },
         "/s/.a.tmp",
         nullptr},
        {"replaced by a rename onto it",
         [](RecentlyStored &r) {
             r.stored("/s/b.html", file("b.html", "-rwx------"));
             r.renamed("/s/.a.tmp", "/s/b.html");
         },
         "/s/b.html",
         "-rw-r--r--"},
        {"given a mode", [](RecentlyStored &r) { r.modeSet("/s/.a.tmp", 04755); }, "/s/.a.tmp", "-rwsr-xr-x"},
        {"removed", [](RecentlyStored &r) { r.removed("/s/.a.tmp"); }, "/s/.a.tmp", nullptr},
        {"pushed out by later files",
         [](RecentlyStored &r) {
             for (std::size_t i = 0; i < RecentlyStored::kKept; ++i)
                 r.stored("/s/f" + std::to_string(i), file("f"));
         },
         "/s/.a.tmp",
         nullptr},
        {"forgotten with the session", [](RecentlyStored &r) { r.clear(); }, "/s/.a.tmp", nullptr},
    };
    for (const Case &c : cases) {
        RecentlyStored stored;
        stored.stored("/s/.a.tmp", file(".a.tmp"));
        c.after(stored);
        const std::optional<RemoteItem> found = stored.find(c.path);
        ASSERT_EQ(found.has_value(), c.attributes != nullptr) << c.what;
        if (found) {
            EXPECT_EQ(found->attributes, QString::fromLatin1(c.attributes)) << c.what;
        }
    }
}

} // namespace
