#include "app/helpsearchindex.h"

#include <gtest/gtest.h>

namespace {

QString page(const char *title, const char *body)
{
    return QStringLiteral("<html><head><title>%1</title><style>p { color: red; }</style></head><body>%2</body></html>")
        .arg(QString::fromUtf8(title), QString::fromUtf8(body));
}

class HelpSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        index.addPage(
            QStringLiteral("moji"),
            page("「文字」メニュー", "<p>選んだ文字を<b>太</b>字にする「太字」は &lt;b&gt; で囲みます。</p>"));
        index.addPage(QStringLiteral("hyo"),
                      page("「表」メニュー", "<table><tr><td>表(１行目を強調)</td><td>見本</td></tr></table>"));
        index.addPage(QStringLiteral("transfer"),
                      page("ファイル転送", "<p>FTP でサーバーに送ります。ﾌｧｲﾙ転送の画面です。</p>"));
        index.addPage(QStringLiteral("script"),
                      page("スクリプト", "<script>var 太字 = 1;</script><p>太字に変える、太字の見本、太字。</p>"));
    }

    QStringList urls(const QString &query) const
    {
        QStringList out;
        for (const HelpSearchIndex::Hit &hit : index.find(query))
            out.append(hit.url);
        return out;
    }

    HelpSearchIndex index;
};

TEST_F(HelpSearch, FindsJapaneseWordsInsideSentencesAndRanksByOccurrences)
{
    struct Case
    {
        const char *query;
        QStringList expected;
    };
    const Case cases[] = {
        // a word inside a sentence, no spaces around it; the page that says it more often first
        {"太字", {QStringLiteral("script"), QStringLiteral("moji")}},
        {"表", {QStringLiteral("hyo")}},
        // widths and letter case are ignored, both ways
        {"表(1行目を強調)", {QStringLiteral("hyo")}},
        {"ファイル転送", {QStringLiteral("transfer")}},
        {"ﾌｧｲﾙ", {QStringLiteral("transfer")}},
        {"ftp", {QStringLiteral("transfer")}},
        {"ＦＴＰ", {QStringLiteral("transfer")}},
        // every word of the query must be there; full-width spaces separate words too
        {"太字 見本", {QStringLiteral("script")}},
        {"太字\u3000囲み", {QStringLiteral("moji")}},
        // character references are read as the characters they stand for
        {"<b>", {QStringLiteral("moji")}},
        {"どこにもない", {}},
        {"", {}},
        {"   ", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(urls(QString::fromUtf8(c.query)), c.expected) << c.query;
}

TEST_F(HelpSearch, TagsScriptsAndStylesAreNotText)
{
    // "color" is only in the style block, "var" only in the script, "td" only in tags
    for (const char *query : {"color", "var", "td", "title"})
        EXPECT_TRUE(urls(QString::fromLatin1(query)).isEmpty()) << query;
    // a word split by inline tags is still one word; table cells stay apart
    EXPECT_EQ(HelpSearchIndex::plainText(QStringLiteral("<p>a<b>b</b>c</p><td>x</td><td>y</td>")),
              QStringLiteral("abc x y"));
}

TEST_F(HelpSearch, HitsCarryTheTitleAndAnExcerptAroundTheWord)
{
    const QList<HelpSearchIndex::Hit> hits = index.find(QStringLiteral("サーバー"));
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits.first().title, QStringLiteral("ファイル転送"));
    EXPECT_TRUE(hits.first().excerpt.contains(QStringLiteral("FTP でサーバーに送ります")))
        << hits.first().excerpt.toStdString();
    // a word found only in its folded form still gets an excerpt that shows it
    const QList<HelpSearchIndex::Hit> folded = index.find(QStringLiteral("ファイル転送の画面"));
    ASSERT_EQ(folded.size(), 1);
    EXPECT_TRUE(folded.first().excerpt.contains(QStringLiteral("ファイル転送の画面")))
        << folded.first().excerpt.toStdString();
}

TEST(HelpSearchText, TitlesAndReferencesAreDecoded)
{
    EXPECT_EQ(HelpSearchIndex::titleOf(QStringLiteral("<TITLE>\n A &amp; B </TITLE>")), QStringLiteral("A & B"));
    EXPECT_EQ(HelpSearchIndex::titleOf(QStringLiteral("<p>no title</p>")), QString());
    EXPECT_EQ(HelpSearchIndex::plainText(QStringLiteral("&#x592A;&#23383;&nbsp;&unknown; &#0;")),
              QStringLiteral("太字 &unknown; &#0;"));
}

} // namespace
