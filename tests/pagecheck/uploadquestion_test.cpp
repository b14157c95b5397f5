#include "pagecheck/uploadquestion.h"

#include "authoring/pageskeleton.h"
#include "common/textcodec.h"
#include "pagecheck/pagecheckoptions.h"
#include "support/scripteduserdialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QByteArray kFinePage = "<!DOCTYPE html>\r\n<html><head><meta charset=\"Shift_JIS\"><title>t</title></head>\r\n"
                             "<body><p>ok</p></body></html>\r\n";
// No title and an image without alt: two errors.
const QByteArray kBadPage = "<!DOCTYPE html>\r\n<html><head><meta charset=\"Shift_JIS\"></head>\r\n"
                            "<body><p><img src=\"http://example.com/a.png\"></p></body></html>\r\n";

class UploadQuestionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_site.isValid() && m_data.isValid());
        writeFile(m_site.filePath(QStringLiteral("bad.html")), kBadPage);
        writeFile(m_site.filePath(QStringLiteral("fine.htm")), kFinePage);
        writeFile(m_site.filePath(QStringLiteral("note.txt")), kBadPage);
        writeFile(m_site.filePath(QStringLiteral("ALSO BAD.HTML")), kBadPage);
    }

    std::optional<QList<QByteArray>> upload(const QList<QByteArray> &names)
    {
        return UploadQuestion(m_dialogs, nullptr, optionsPath(), [this](const QString &path) { m_shown.append(path); })(
            m_site.path(), names);
    }
    std::optional<QList<QByteArray>> upload() { return upload(m_names); }
    QString optionsPath() const { return QDir(m_data.path()).filePath(PageCheckOptions::kFileName); }

    QTemporaryDir m_site;
    QTemporaryDir m_data;
    ScriptedUserDialogs m_dialogs;
    QStringList m_shown; // the pages ページチェックを見る asked to show
    const QList<QByteArray> m_names = {"bad.html", "fine.htm", "note.txt", "ALSO BAD.HTML"};
};

TEST_F(UploadQuestionTest, AsksOncePerPageWithErrorsAndLeavesOutThoseAnsweredNo)
{
    m_dialogs.messageAnswers.enqueue(DialogButton::Yes);
    m_dialogs.messageAnswers.enqueue(DialogButton::No);
    EXPECT_EQ(upload(), (QList<QByteArray>{"bad.html", "fine.htm", "note.txt"}));
    ASSERT_EQ(m_dialogs.messages.size(), 2);
    EXPECT_EQ(m_dialogs.messages.at(0).text,
              QStringLiteral("bad.html にはページチェックでエラーが 2 件あります。\n\n"
                             "・2 行目: ページの題名 <title> がありません。<head> の中に書いてください。\n"
                             "・3 行目: <img> に alt 属性がありません。画像が見えない人のために、alt=\"…\" "
                             "に画像の説明を書いてください。\n\n"
                             "このままアップロードしますか？"));
    EXPECT_EQ(m_dialogs.messages.at(0).buttons,
              (QList<DialogButton>{DialogButton::Yes, DialogButton::No, DialogButton::ShowPageCheck}));
    EXPECT_TRUE(
        m_dialogs.messages.at(1).text.startsWith(QStringLiteral("ALSO BAD.HTML にはページチェックでエラーが 2 件")));
    EXPECT_EQ(m_dialogs.unexpected, 0);
    EXPECT_TRUE(m_shown.isEmpty());
}

// The question names the errors: the first three rows, then how many more.
TEST_F(UploadQuestionTest, ShowsThePagesFirstErrors)
{
    TextFormat shiftJis;
    const struct
    {
        const char *name;
        QByteArray page;
        std::vector<const char *> says;
    } cases[] = {
        {"an untouched 基本形 page",
         TextCodec::encode(PageSkeleton::text(), shiftJis),
         {"エラーが 1 件あります。\n\n・2 行目: 文字コードの宣言がありません。<head> の中に <meta "
          "charset=\"Shift_JIS\">"}},
        {"five errors",
         "<!DOCTYPE html>\r\n<html><head><meta charset=\"Shift_JIS\"><title>t</title></head>\r\n<body>\r\n"
         "<p><img src=\"http://example.com/a.png\"></p>\r\n<p><img src=\"http://example.com/b.png\"></p>\r\n<p><img "
         "src=\"http://example.com/c.png\"></p>\r\n"
         "<p><img src=\"http://example.com/d.png\"></p>\r\n<p><img "
         "src=\"http://example.com/e.png\"></p>\r\n</body></html>\r\n",
         {"エラーが 5 件あります。\n\n・4 行目: ", "\n・5 行目: ", "\n・6 行目: ", "\n・ほか 2 件\n\nこのまま"}},
    };
    for (const auto &c : cases) {
        writeFile(m_site.filePath(QStringLiteral("page.html")), c.page);
        m_dialogs.messages.clear();
        m_dialogs.messageAnswers.enqueue(DialogButton::No);
        EXPECT_EQ(upload({"page.html"}), QList<QByteArray>()) << c.name;
        ASSERT_EQ(m_dialogs.messages.size(), 1) << c.name;
        const QString text = m_dialogs.messages.first().text;
        for (const char *part : c.says)
            EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << c.name << ": " << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("7 行目"))) << c.name;
    }
}

// ページチェックを見る stops the whole upload, asks nothing more and shows that page's check.
TEST_F(UploadQuestionTest, ShowingTheCheckStopsTheUpload)
{
    m_dialogs.messageAnswers.enqueue(DialogButton::ShowPageCheck);
    EXPECT_EQ(upload(), std::nullopt);
    EXPECT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_EQ(m_shown, QStringList{m_site.filePath(QStringLiteral("bad.html"))});
    EXPECT_EQ(m_dialogs.unexpected, 0);
}

TEST_F(UploadQuestionTest, AsksNothingOnceTurnedOff)
{
    PageCheckOptions options;
    options.askBeforeUpload = false;
    options.write(optionsPath());
    EXPECT_EQ(upload(), m_names);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    // The choice is read back as written, and anything else in the file keeps the defaults.
    EXPECT_EQ(PageCheckOptions::read(optionsPath()), options);
    EXPECT_EQ(PageCheckOptions::parse("checkWhileTyping=yes\naskBeforeUpload=maybe\n"), PageCheckOptions{});
}

} // namespace
