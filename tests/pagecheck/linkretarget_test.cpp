// How each form of address reads after each kind of rename or move: relative, rooted, with a
// query and a fragment, percent-encoded or not, in a letter case other than the file's, from a
// page that moves itself, and the addresses that must stay as written.
#include "pagecheck/linkretarget.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *file; // the page the address is written in, before the move
    const char *from;
    const char *to;
    const char *address;
    const char *expected; // nullptr: stays as written
};

const Case kCases[] = {
    // A page renamed, linked from the top, from below and from the root.
    {"index.html", "about.html", "profile.html", "about.html", "profile.html"},
    {"index.html", "about.html", "profile.html", "about.html?lang=ja#top", "profile.html?lang=ja#top"},
    {"index.html", "about.html", "profile.html", "./about.html", "./profile.html"},
    {"index.html", "about.html", "profile.html", "/about.html#top", "/profile.html#top"},
    {"blog/entry.html", "about.html", "profile.html", "../about.html", "../profile.html"},
    {"index.html", "about.html", "profile.html", "other.html", nullptr},
    {"index.html", "about.html", "profile.html", "https://example.com/about.html", nullptr},
    {"index.html", "about.html", "profile.html", "//example.com/about.html", nullptr},
    {"index.html", "about.html", "profile.html", "file:///home/me/about.html", nullptr},
    {"index.html", "about.html", "profile.html", "#about", nullptr},
    {"index.html", "about.html", "profile.html", "../../about.html", nullptr},
    {"about.html", "about.html", "profile.html", "about.html#me", "profile.html#me"},
    {"about.html", "about.html", "profile.html", "img/me.gif", nullptr},
    // Japanese names: percent-encoded where the address encodes, as they are where it does not.
    {"index.html", "猫.html", "犬 と 猫.html", "%E7%8C%AB.html", "%E7%8A%AC%20%E3%81%A8%20%E7%8C%AB.html"},
    {"index.html", "猫.html", "犬 と 猫.html", "猫.html#a", "犬%20と%20猫.html#a"},
    // A link in other letters follows the file (it reached it on the PC); only the moved name
    // is spelled anew, the rest keeps the address's letters and escapes.
    {"index.html", "photo.jpg", "pic.jpg", "Photo.JPG", "pic.jpg"},
    {"index.html", "img", "pics", "IMG/Cat%20One.GIF", "pics/Cat%20One.GIF"},
    {"index.html", "Index.html", "index.html", "Index.html", "index.html"},
    {"index.html", "img", "pics", "img", "pics"},
    {"index.html", "img", "pics", "/img/", "/pics/"},
    // A folder moved deeper, and what its pages link to within it and outside it.
    {"index.html", "blog", "old/blog", "blog/", "old/blog/"},
    {"index.html", "blog", "old/blog", "blog/2026/a.html?p=1", "old/blog/2026/a.html?p=1"},
    {"blog/p.html", "blog", "old/blog", "q.html", nullptr},
    {"blog/p.html", "blog", "old/blog", "../index.html", "../../index.html"},
    {"blog/p.html", "blog", "old/blog", "/index.html", nullptr},
    {"blog/p.html", "blog", "old/blog", "../blog/q.html", nullptr}, // still leads there from old/
    // A page moved: its own links by the shortest way from where it is now.
    {"about.html", "about.html", "sub/about.html", "img/me.gif", "../img/me.gif"},
    {"about.html", "about.html", "sub/about.html", "about.html#x", nullptr},
    {"about.html", "about.html", "x/y/about.html", "./", "../../"},
    {"a/b/p.html", "a/b/p.html", "a/p.html", "../c.gif", "c.gif"},
    {"a/b/p.html", "a/b/c.gif", "a/c.gif", "./c.gif", "../c.gif"},
    {"sub/p.html", "img/a.gif", "sub/pics/a.gif", "../img/a.gif", "pics/a.gif"},
    {"sub/p.html", "sub/p.html", "p.html", "../img/a.gif", "img/a.gif"},
};

TEST(LinkRetarget, EachFormOfAddressKeepsItsFormAndLeadsWhereItLed)
{
    for (const Case &c : kCases) {
        const LinkRetarget::Move move{QString::fromUtf8(c.from), QString::fromUtf8(c.to)};
        const std::optional<QString> got =
            LinkRetarget::rewritten(QString::fromUtf8(c.address), QString::fromUtf8(c.file), move);
        const std::string what = std::string(c.file) + ": " + c.address + " (" + c.from + " → " + c.to + ")";
        if (c.expected == nullptr)
            EXPECT_FALSE(got.has_value()) << what << " became " << got.value_or(QString()).toStdString();
        else
            EXPECT_EQ(got.value_or(QStringLiteral("<unchanged>")), QString::fromUtf8(c.expected)) << what;
    }
}

} // namespace
