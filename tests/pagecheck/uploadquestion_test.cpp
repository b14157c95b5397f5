#include "pagecheck/uploadquestion.h"

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

    QList<QByteArray> upload() { return UploadQuestion(m_dialogs, nullptr, optionsPath())(m_site.path(), m_names); }
    QString optionsPath() const { return QDir(m_data.path()).filePath(PageCheckOptions::kFileName); }

    QTemporaryDir m_site;
    QTemporaryDir m_data;
    ScriptedUserDialogs m_dialogs;
    const QList<QByteArray> m_names = {"bad.html", "fine.htm", "note.txt", "ALSO BAD.HTML"};
};

TEST_F(UploadQuestionTest, AsksOncePerPageWithErrorsAndLeavesOutThoseAnsweredNo)
{
    m_dialogs.messageAnswers.enqueue(DialogButton::Yes);
    m_dialogs.messageAnswers.enqueue(DialogButton::No);
    EXPECT_EQ(upload(), (QList<QByteArray>{"bad.html", "fine.htm", "note.txt"}));
    ASSERT_EQ(m_dialogs.messages.size(), 2);
    EXPECT_EQ(m_dialogs.messages.at(0).text, UploadQuestion::question(QStringLiteral("bad.html"), 2));
    EXPECT_EQ(m_dialogs.messages.at(0).buttons, (QList<DialogButton>{DialogButton::Yes, DialogButton::No}));
    EXPECT_EQ(m_dialogs.messages.at(1).text, UploadQuestion::question(QStringLiteral("ALSO BAD.HTML"), 2));
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
