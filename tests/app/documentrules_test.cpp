// Which names are written as rich text, and the file types the document dialogs offer.
#include "app/richtextrule.h"
#include "common/documentfilters.h"

#include <gtest/gtest.h>

TEST(RichTextRule, OnlyALowerCaseRtfExtensionMeansRichText)
{
    const struct
    {
        const char *path;
        bool rich;
    } cases[] = {
        {"/home/u/page.rtf", true},
        {"page.rtf", true},
        {"/home/u/.rtf", true},
        {"/home/u/page.RTF", false},
        {"/home/u/page.Rtf", false},
        {"/home/u/page.rtf.htm", false},
        {"/home/u/page.rtfx", false},
        {"/home/u/page.htm", false},
        {"/home/u/pagertf", false},
        {"/home/u/folder.rtf/page", false},
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RichTextRule::writesRichText(QString::fromUtf8(c.path)), c.rich) << c.path;
}

TEST(DocumentFilters, SevenFiltersInOrderWithTheirPatterns)
{
    const QStringList expected{
        QStringLiteral("Html(*.htm;*.html) (*.htm *.html)"),
        QStringLiteral("テキストファイル(*.txt) (*.txt)"),
        QStringLiteral("CGI(*.cgi;*.pl) (*.cgi *.pl)"),
        QStringLiteral("ASP(*.asp;*.aspx) (*.asp *.aspx)"),
        QStringLiteral("リッチテキスト(*.rtf) (*.rtf)"),
        QStringLiteral("画像ファイル (*.jpg *.jpeg *.gif *.bmp *.png *.webp *.svg)"),
        QStringLiteral("すべてのファイル (*)"),
    };
    EXPECT_EQ(DocumentFilters::nameFilters(), expected);
    EXPECT_EQ(DocumentFilters::kDefaultSuffix, QStringLiteral("htm"));
}
