#include "transfer/machinelistingparser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// MLSD lines as servers send them, and what each gives: the name's bytes (empty: no item), the
// exact time, the size, the attribute text and the folder flag.
struct MachineLine
{
    const char *server;
    std::string line;
    QByteArray name;
    RemoteDate date = {};
    qint64 size = 0;
    QString attributes = {};
    bool folder = false;
};

RemoteDate exactly(int year, int month, int day, int hour, int minute, int second)
{
    return {QDate(year, month, day), QTime(hour, minute, second), true};
}

TEST(MachineListingParser, EachLineGivesItsItemOrNone)
{
    const std::vector<MachineLine> lines = {
        {"pyftpdlib",
         "type=file;size=156;perm=radfwMT;modify=20261209101520;unix.mode=0644; index.html",
         "index.html",
         exactly(2026, 12, 9, 10, 15, 20),
         156,
         QStringLiteral("-rw-r--r--")},
        {"ProFTPD",
         "modify=20260601000102;perm=flcdmpe;type=dir;unique=FD00U1E;UNIX.group=1000;UNIX.mode=02755;UNIX.owner=1000; "
         "cgi-bin",
         "cgi-bin",
         exactly(2026, 6, 1, 0, 1, 2),
         0,
         QStringLiteral("drwxr-sr-x"),
         true},
        {"Pure-FTPd, a name with blanks and a semicolon",
         "type=file;size=3;modify=20261209101520;UNIX.mode=0755;UNIX.uid=1000; my page; 2.cgi",
         "my page; 2.cgi",
         exactly(2026, 12, 9, 10, 15, 20),
         3,
         QStringLiteral("-rwxr-xr-x")},
        {"IIS: fractions, capitals, no mode",
         "Modify=20261209101520.551;Size=16;Type=file; page.htm",
         "page.htm",
         exactly(2026, 12, 9, 10, 15, 20),
         16,
         QStringLiteral("-")},
        {"a link",
         "type=OS.unix=symlink;size=9;modify=20261209101520;unix.mode=0777; latest",
         "latest",
         exactly(2026, 12, 9, 10, 15, 20),
         9,
         QStringLiteral("lrwxrwxrwx")},
        {"a hidden file",
         "type=file;size=10;modify=20261209101520; .htaccess",
         ".htaccess",
         exactly(2026, 12, 9, 10, 15, 20),
         10,
         QStringLiteral("-")},
        {"the folder itself", "type=cdir;modify=20261209101520; .", ""},
        {"its parent", "type=pdir;modify=20261209101520; ..", ""},
        {"no type", "size=3;modify=20261209101520; a.html", ""},
        {"no name", "type=file;size=3;", ""},
        {"a path for a name", "type=file;size=3; ../etc/passwd", ""},
        {"a day no calendar has",
         "type=file;size=1;modify=20260230101520; odd.html",
         "odd.html",
         {},
         1,
         QStringLiteral("-")},
    };
    for (const MachineLine &c : lines) {
        const std::optional<RemoteItem> item = MachineListingParser::parseLine(QByteArray::fromStdString(c.line));
        ASSERT_EQ(item.has_value(), !c.name.isEmpty()) << c.server;
        if (!item)
            continue;
        EXPECT_EQ(item->name, c.name) << c.server;
        EXPECT_EQ(item->date, c.date) << c.server;
        EXPECT_EQ(item->size, c.size) << c.server;
        EXPECT_EQ(item->attributes, c.attributes) << c.server;
        EXPECT_EQ(item->folder, c.folder) << c.server;
    }
}

// When two times of one file can be the same moment: at the precision of the coarser.
TEST(RemoteDate, TimesMatchAsFarAsTheCoarserTells)
{
    const RemoteDate minute{QDate(2026, 6, 9), QTime(10, 15)};
    const RemoteDate dayAlone{QDate(2026, 6, 9), QTime()};
    const RemoteDate exact = exactly(2026, 6, 9, 10, 15, 20);
    const struct
    {
        const char *name;
        RemoteDate a;
        RemoteDate b;
        bool match;
    } cases[] = {
        {"the same minute", minute, minute, true},
        {"another minute", minute, {QDate(2026, 6, 9), QTime(10, 16)}, false},
        {"half a year on: the day alone, the same day", minute, dayAlone, true},
        {"the day alone, another day", minute, {QDate(2026, 6, 10), QTime()}, false},
        {"the same second", exact, exact, true},
        {"another second", exact, exactly(2026, 6, 9, 10, 15, 21), false},
        {"a listing's minute and an exact time tell nothing of each other", minute, exactly(2027, 1, 1, 0, 0, 0), true},
        {"no time recorded", RemoteDate(), minute, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.a.matches(c.b), c.match) << c.name;
        EXPECT_EQ(c.b.matches(c.a), c.match) << c.name;
    }
    EXPECT_EQ(RemoteDate::fromMachineTime("20261209101520"), exactly(2026, 12, 9, 10, 15, 20));
    EXPECT_EQ(RemoteDate::fromMachineTime("20261209101520.5"), exactly(2026, 12, 9, 10, 15, 20));
    for (const char *bad :
         {"", "2026120910152", "2026120910152x", "20261209101520x", "20261309101520", "20261209251520"})
        EXPECT_FALSE(RemoteDate::fromMachineTime(bad).day.isValid()) << bad;
}

} // namespace
