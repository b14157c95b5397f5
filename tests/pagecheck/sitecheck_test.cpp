// サイトチェック without windows, on a site built here: every row it finds (file, line, column,
// level, key) against the rows the site holds, the unsaved text of an open tab taking the place
// of its file, a second run reading again only what changed, and what each file leads to as a
// publish sends it.
#include "pagecheck/sitecheck.h"

#include "common/cp932codec.h"
#include "pagecheck/sitelinkscheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString page(const QString &charset, const QString &title, const QString &body, const QString &head = {})
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"%1\"> <meta name=\"viewport\" "
                          "content=\"width=device-width\">\n<title>%2</title>\n"
                          "%3</head>\n<body>\n%4</body>\n</html>\n")
        .arg(charset, title, head, body);
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

QByteArray shiftJis(const QString &text)
{
    return Cp932Codec::encode(text, {}, nullptr);
}

// The page linked to as sub/page.html; its poster is missing until the open tab mends it.
QString subPage(const QString &poster)
{
    return page(QStringLiteral("UTF-8"),
                QStringLiteral("詳しい説明"),
                QStringLiteral("<h2 id=\"part\">部分</h2>\n"
                               "<p><a href=\"../index.html\">戻る</a> <a href=\"../about.html#history\">沿革</a></p>\n"
                               "<video src=\"../media/movie.mp4\" poster=\"%1\" controls></video>\n")
                    .arg(poster));
}

struct SiteFile
{
    const char *path;
    QByteArray bytes;
};

const QList<SiteFile> &siteFiles()
{
    static const QList<SiteFile> files = {
        {"index.html",
         utf8(page(
             QStringLiteral("UTF-8"),
             QStringLiteral("トップ"),
             QStringLiteral(
                 "<p><a href=\"about.html\">案内</a> <a href=\"sub/page.html#part\">部分</a></p>\n" // 9
                 "<p><a href=\"sub/page.html#nothere\">ない</a> <a href=\"#top\">上</a> <a href=\"#own\">ここ</a></p>\n"
                 "<p id=\"own\"><img src=\"photo.jpg\" alt=\"写真\"> <img src=\"img/missing.png\" alt=\"無\"></p>\n"
                 "<p><img src=\"img/logo.png\" srcset=\"img/logo.png 1x, img/logo@2x.png 2x\" alt=\"ロゴ\"></p>\n"
                 "<p><a href=\"../outside.html\">外</a> <a href=\"file:///C:/site/a.html\">PC</a> " // 13
                 "<a href=\"https://example.com/\">web</a> <a href=\"mailto:a@example.com\">mail</a></p>\n"
                 "<p><a href=\"img/%E5%86%99%E7%9C%9F.png?v=2\">写真</a> <a href=\"//example.com/x.png\">x</a></p>\n"
                 "<p style=\"background: url(img/nothere.png)\">背景</p>\n"), // 15
             QStringLiteral("<link rel=\"stylesheet\" href=\"css/site.css\">\n")))},
        // An old copy of the top page: a page of its own on the server, reached from nowhere.
        {"Index.html", utf8(page(QStringLiteral("UTF-8"), QStringLiteral("トップ"), QStringLiteral("<p>古い</p>\n")))},
        {"about.html",
         shiftJis(page(QStringLiteral("Shift_JIS"),
                       QStringLiteral("会社案内"),
                       QStringLiteral("<p>会社の案内です。<a href=\"sub/page.html\">詳しく</a></p>\n"
                                      "<div style=\"background: url('img/bg.png')\">背景</div>\n")))},
        {"sub/page.html", utf8(subPage(QStringLiteral("../img/poster.jpg")))},
        // Declares Shift_JIS, saved in UTF-8, and nothing links to it.
        {"sub/orphan.html",
         utf8(page(QStringLiteral("Shift_JIS"), QStringLiteral("孤立"), QStringLiteral("<p>だれも来ません。</p>\n")))},
        {"css/site.css", "body { background: url(../img/bg.png); }\n.mark { background: url(\"../img/Icon.png\"); }\n"},
        {"Photo.JPG", "jpeg"},
        {"img/logo.png", "png"},
        {"img/写真.png", "png"},
        {"img/bg.png", "png"},
        {"img/icon.png", "png"},
        {"img/unused.gif", "gif"},
        {"media/movie.mp4", "mp4"},
        {"favicon.ico", "ico"},
    };
    return files;
}

// What the site holds, each row as "file:line:column level key", the files in the order of their
// names' bytes.
const QStringList kExpected = {
    QStringLiteral("Index.html:1:1 ヒント QZ_ORPHAN_PAGE"),
    QStringLiteral("Index.html:5:1 ヒント QZ_TITLE_DUPLICATE"),
    QStringLiteral("about.html:4:16 注意 QZ_CHARSET_SITE"),
    QStringLiteral("index.html:5:1 ヒント QZ_TITLE_DUPLICATE"),
    QStringLiteral("index.html:10:13 エラー QZ_ANCHOR_MISSING"),
    QStringLiteral("index.html:11:23 エラー QZ_TARGET_CASE"),
    QStringLiteral("index.html:11:54 エラー QZ_TARGET_MISSING"),
    QStringLiteral("index.html:12:53 エラー QZ_TARGET_MISSING"),
    QStringLiteral("index.html:13:13 エラー QZ_OUTSIDE_SITE"),
    QStringLiteral("index.html:13:45 エラー QZ_LOCAL_PATH"),
    QStringLiteral("index.html:15:27 エラー QZ_TARGET_MISSING"),
    QStringLiteral("css/site.css:2:26 エラー QZ_TARGET_CASE"),
    QStringLiteral("img/unused.gif:1:1 ヒント QZ_UNUSED_FILE"),
    QStringLiteral("sub/orphan.html:1:1 ヒント QZ_ORPHAN_PAGE"),
    QStringLiteral("sub/orphan.html:4:16 注意 QZ_CHARSET_SAVED"),
    QStringLiteral("sub/page.html:9:44 エラー QZ_ANCHOR_MISSING"),
    QStringLiteral("sub/page.html:10:41 エラー QZ_TARGET_MISSING"),
};

class SiteCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = QDir(dir.path()).filePath(QStringLiteral("site"));
        for (const SiteFile &file : siteFiles()) {
            const QString path = QDir(root).filePath(QString::fromUtf8(file.path));
            ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(file.bytes);
        }
    }

    // One row a line, so that a failure shows which rows differ.
    static std::string lines(const QStringList &rows) { return rows.join(QLatin1Char('\n')).toStdString(); }

    QStringList rows(const SiteCheck::Outcome &outcome) const
    {
        QStringList texts;
        for (const SiteJudgement::FileRows &file : outcome.files) {
            for (const CheckRow &row : file.rows)
                texts.append(QStringLiteral("%1:%2:%3 %4 %5")
                                 .arg(file.path)
                                 .arg(row.line)
                                 .arg(row.column)
                                 .arg(CheckRow::levelName(row.level), row.key));
        }
        return texts;
    }

    QTemporaryDir dir;
    QString root;
    SiteCheck::Memory memory;
};

TEST_F(SiteCheckTest, FindsWhatTheSiteHoldsAndRereadsOnlyWhatChanged)
{
    const Site site(root);
    const SiteCheck::Outcome stopped = SiteCheck::run({site, {}}, memory, {[] { return true; }, {}});
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.files.isEmpty());
    EXPECT_EQ(stopped.read, 0) << "stopped before its first file";

    const SiteCheck::Outcome first = SiteCheck::run({site, {}}, memory);
    EXPECT_EQ(lines(rows(first)), lines(kExpected));
    EXPECT_EQ(first.pages, 5);
    EXPECT_EQ(first.read, 6) << "the five pages and the style sheet";

    const SiteCheck::Outcome again = SiteCheck::run({site, {}}, memory);
    EXPECT_EQ(again.read, 0) << "nothing changed";
    EXPECT_EQ(lines(rows(again)), lines(kExpected));

    // The tab's unsaved text mends the poster; the file on disk still has the missing one.
    PageSource::Page tab{
        subPage(QStringLiteral("../img/bg.png")).replace(QStringLiteral("\n"), QStringLiteral("\r\n")), {}, true};
    tab.format.encoding = TextFormat::Encoding::Utf8;
    const SiteCheck::Outcome edited = SiteCheck::run({site, {{QByteArray("sub/page.html"), tab}}}, memory);
    EXPECT_EQ(edited.read, 1) << "only the open page";
    QStringList mended = kExpected;
    mended.removeOne(QStringLiteral("sub/page.html:10:41 エラー QZ_TARGET_MISSING"));
    EXPECT_EQ(lines(rows(edited)), lines(mended));
}

TEST_F(SiteCheckTest, SaysEachFindingInJapaneseWithWhatItNames)
{
    SiteCheck::Memory fresh;
    const SiteCheck::Outcome outcome = SiteCheck::run({Site(root), {}}, fresh);
    QHash<QString, QString> sentences;
    for (const SiteJudgement::FileRows &file : outcome.files) {
        for (const CheckRow &row : file.rows)
            sentences.insert(QStringLiteral("%1:%2:%3").arg(file.path).arg(row.line).arg(row.column), row.sentence);
    }
    const QList<std::pair<QString, QString>> mentions = {
        {QStringLiteral("index.html:10:13"), QStringLiteral("リンク先 page.html に、id=\"nothere\"")},
        {QStringLiteral("index.html:11:23"), QStringLiteral("実際の名前 Photo.JPG と違います")},
        {QStringLiteral("css/site.css:2:26"), QStringLiteral("実際の名前 ../img/icon.png と違います")},
        {QStringLiteral("index.html:13:13"), QStringLiteral("../outside.html はサイトのフォルダの外")},
        {QStringLiteral("Index.html:1:1"), QStringLiteral("トップページ index.html から")},
        {QStringLiteral("Index.html:5:1"), QStringLiteral("題名「トップ」は index.html と同じ")},
        {QStringLiteral("about.html:4:16"),
         QStringLiteral("Shift_JIS で書かれていますが、サイトのほかのページの多くは UTF-8")},
        {QStringLiteral("sub/orphan.html:4:16"),
         QStringLiteral("宣言（Shift_JIS）と、ファイルが実際に保存されている文字コード（UTF-8）")},
    };
    for (const auto &[place, words] : mentions)
        EXPECT_TRUE(sentences.value(place).contains(words))
            << place.toStdString() << ": " << sentences.value(place).toStdString();
}

// Before a publish: what each file leads to as saved, and only the errors the page check does
// not say itself; the run leaves the shared memory as the site check's next run would.
TEST_F(SiteCheckTest, TellsWhatEachFileLeadsToAsSaved)
{
    SiteCheckMemory shared;
    const std::optional<SiteLinks> stopped = SiteLinksCheck::run(Site(root), shared, [] { return true; });
    EXPECT_FALSE(stopped.has_value());
    const std::optional<SiteLinks> links = SiteLinksCheck::run(Site(root), shared);
    ASSERT_TRUE(links.has_value());
    const QList<std::tuple<QString, QStringList, qsizetype>> expected = {
        {QStringLiteral("index.html"),
         {QStringLiteral("css/site.css"),
          QStringLiteral("about.html"),
          QStringLiteral("sub/page.html"),
          QStringLiteral("img/missing.png"),
          QStringLiteral("img/logo.png"),
          QStringLiteral("img/logo@2x.png"),
          QStringLiteral("img/写真.png"),
          QStringLiteral("img/nothere.png")},
         2}, // the missing anchor and the file outside; not the case error nor the local path
        {QStringLiteral("sub/page.html"),
         {QStringLiteral("index.html"),
          QStringLiteral("about.html"),
          QStringLiteral("media/movie.mp4"),
          QStringLiteral("img/poster.jpg")},
         1},
        {QStringLiteral("css/site.css"), {QStringLiteral("img/bg.png")}, 0},
        {QStringLiteral("sub/orphan.html"), {}, 0},
    };
    for (const auto &[path, targets, errors] : expected) {
        const SiteLinks::File file = links->files.value(path);
        EXPECT_EQ(lines(file.targets), lines(targets)) << path.toStdString();
        EXPECT_EQ(file.errors.size(), errors) << path.toStdString() << ": " << lines(file.errors);
    }
    EXPECT_EQ(links->files.size(), 6) << "the five pages and the style sheet";
    const int read = shared.use(root, [this](SiteCheck::Memory &memory) {
        return SiteCheck::run({Site(root), {}}, memory).read;
    });
    EXPECT_EQ(read, 0) << "the check before the publish read the site for the panel's next run";
}

} // namespace
