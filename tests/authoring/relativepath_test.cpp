// The file name ファイル名 writes: relative to the current folder, in Windows-style and POSIX
// paths alike.
#include "authoring/relativepath.h"

#include <gtest/gtest.h>

namespace {

struct PathCase
{
    const char *base;
    const char *file;
    const char *expected;
};

void expectAll(const PathStyle &style, std::initializer_list<PathCase> cases)
{
    for (const PathCase &c : cases) {
        EXPECT_EQ(relativeFileName(QString::fromUtf8(c.base), QString::fromUtf8(c.file), style),
                  QString::fromUtf8(c.expected))
            << c.base << " + " << c.file;
    }
}

TEST(RelativeFileName, WindowsStylePaths)
{
    expectAll(PathStyle::windows(),
              {
                  {"C:\\site\\", "C:\\site\\img\\logo.gif", "img/logo.gif"},
                  {"C:\\site\\", "C:\\site\\a.htm", "a.htm"},
                  {"C:\\site", "C:\\site\\a.htm", "a.htm"},
                  {"C:\\site\\", "C:\\other\\a.htm", "../other/a.htm"},
                  {"C:\\site\\x\\y\\", "C:\\site\\img\\b.gif", "../../img/b.gif"},
                  {"C:\\site\\", "D:\\pics\\b.gif", "D:/pics/b.gif"},
                  {"c:\\SITE\\", "C:\\site\\Img\\a.htm", "Img/a.htm"}, // case does not matter
                  {"\\\\server\\share\\web\\", "\\\\SERVER\\Share\\web\\a.htm", "a.htm"},
                  {"\\\\server\\share\\web\\", "\\\\server\\other\\a.htm", "//server/other/a.htm"},
                  {"C:\\", "C:\\a.htm", "a.htm"},
                  {"C:\\ホーム\\", "C:\\ホーム\\表\\ソフト.htm", "表/ソフト.htm"}, // 表 and ソ end in 0x5C in Shift_JIS
              });
}

TEST(RelativeFileName, PosixPaths)
{
    expectAll(PathStyle::posix(),
              {
                  {"/home/u/site/", "/home/u/site/img/logo.gif", "img/logo.gif"},
                  {"/home/u/site/", "/home/u/site/a.htm", "a.htm"},
                  {"/home/u/site/", "/home/u/other/a.htm", "../other/a.htm"},
                  {"/home/u/site/", "/tmp/a.htm", "../../../tmp/a.htm"},
                  {"/home/u/Site/", "/home/u/site/a.htm", "../site/a.htm"}, // distinct folders here
                  {"/", "/a.htm", "a.htm"},
                  {"/w/", "/w/back\\slash.htm", "back\\slash.htm"}, // a name, not a separator
              });
}

TEST(RelativeFileName, TrailingSeparatorAddedOnce)
{
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("C:\\site"), QLatin1Char('\\')), QStringLiteral("C:\\site\\"));
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("/w/"), QLatin1Char('/')), QStringLiteral("/w/"));
}

} // namespace
