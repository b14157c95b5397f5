#include "workspace/pagesession.h"

#include <gtest/gtest.h>

namespace {

using Page = PageSession::Page;

TEST(PageSession, EveryPathReadsBackAsItWasWritten)
{
    PageSession session;
    session.pages = {{QStringLiteral("/home/user/サイト/index.html"), 120, 3},
                     {QStringLiteral("/home/user/100%/a,b.htm"), 0, 0},
                     {QStringLiteral("/home/user/line\nbreak/ page .htm "), 7, 900000}};
    session.current = 2;
    EXPECT_EQ(PageSession::parse(session.toText()), session);
}

TEST(PageSession, WhatTheFileDoesNotHoldPlainlyIsPassedOver)
{
    const Page good{QStringLiteral("/site/index.html"), 5, 1};
    const struct
    {
        const char *name;
        QByteArray text;
        QList<Page> pages;
        int current;
    } cases[] = {
        {"empty", "", {}, 0},
        {"not ours", "\x89PNG\r\n\x1a\n", {}, 0},
        {"a good line among damaged ones",
         "[Session]\ncurrent=0\npage=x,1,/a.htm\npage=1,1\npage=-1,0,/b.htm\npage=5,1,/site/index.html\n",
         {good},
         0},
        {"a relative path", "page=1,1,index.html\npage=5,1,/site/index.html\n", {good}, 0},
        {"the front page beyond the pages", "current=3\npage=5,1,/site/index.html\n", {good}, 0},
        {"the front page not a number", "current=one\npage=5,1,/site/index.html\n", {good}, 0},
        {"Windows line ends",
         "[Session]\r\ncurrent=1\r\npage=5,1,/site/index.html\r\npage=5,1,/site/index.html\r\n",
         {good, good},
         1},
    };
    for (const auto &c : cases) {
        const PageSession session = PageSession::parse(c.text);
        EXPECT_EQ(session.pages, c.pages) << c.name;
        EXPECT_EQ(session.current, c.current) << c.name;
    }
}

TEST(PageSession, AFileNamingMorePagesThanAnyoneOpensIsCutAtTheLimit)
{
    QByteArray text;
    for (int i = 0; i < PageSession::kMostPages + 10; ++i)
        text += "page=0,0,/p" + QByteArray::number(i) + ".htm\n";
    EXPECT_EQ(PageSession::parse(text).pages.size(), PageSession::kMostPages);
}

} // namespace
