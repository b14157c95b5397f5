#include "transfer/sitebook.h"

#include "common/usererror.h"
#include "transfer/ftpaddress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class SiteBookFile : public testing::Test
{
protected:
    QString path() const { return QDir(m_dir.path()).filePath(SiteBook::kFileName); }

    void writeBytes(const QByteArray &bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray readBytes() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    SiteBook m_book;
};

TEST_F(SiteBookFile, FourFieldLinesGetTheCommaTheFirstLineLacks)
{
    writeBytes("a,b,c,d\r\nMy Site,host,user,pw\r\nx,y,z,w,/public_html\r\n");
    m_book.load(path());
    ASSERT_EQ(m_book.count(), 3);
    EXPECT_EQ(m_book.record(1), (SiteRecord{"a", "b", "c", "d", ""}));
    EXPECT_EQ(m_book.record(2), (SiteRecord{"My Site", "host", "user", "pw", ""}));
    EXPECT_EQ(m_book.record(3).folder, QStringLiteral("/public_html"));
    EXPECT_EQ(m_book.record(4), SiteRecord{});
    EXPECT_EQ(m_book.record(0), SiteRecord{});
    // The count comes from line 1 alone: this line had five fields and is written with six.
    m_book.write(path());
    EXPECT_EQ(readBytes(), QByteArray("a,b,c,d,\r\nMy Site,host,user,pw,\r\nx,y,z,w,/public_html,\r\n"));
}

TEST_F(SiteBookFile, ShortLinesReadWithEmptyFields)
{
    writeBytes("a,b,c,d,e\nonly\rlast,1");
    m_book.load(path());
    ASSERT_EQ(m_book.count(), 3);
    EXPECT_EQ(m_book.record(2), (SiteRecord{"only", "", "", "", ""}));
    EXPECT_EQ(m_book.record(3), (SiteRecord{"last", "1", "", "", ""}));
}

TEST_F(SiteBookFile, AnUnchangedEntryIsWrittenBackAsItWasRead)
{
    // A folder another program wrote with a comma reads as its first part, and the rest of the
    // line survives a rewrite; so does a short line. A changed entry gets its five fields.
    writeBytes("a,b,c,d,/x,y\r\nonly\r\nshort\r\n");
    m_book.load(path());
    EXPECT_EQ(m_book.record(1).folder, QStringLiteral("/x"));
    EXPECT_EQ(m_book.record(2), (SiteRecord{"only", "", "", "", ""}));
    EXPECT_TRUE(m_book.replace(3, {"short", "h", "u", "", ""}));
    m_book.write(path());
    EXPECT_EQ(readBytes(), QByteArray("a,b,c,d,/x,y\r\nonly\r\nshort,h,u,,\r\n"));
}

TEST_F(SiteBookFile, SaveAppendsBeyondTheEndAndReplacesAShownEntry)
{
    const SiteRecord first{"My Site", "example.jp:2121", "user", "p a ss", ""};
    EXPECT_EQ(m_book.store(0, first), 1);
    EXPECT_EQ(m_book.store(2, {"Other", "h", "u", "p", ""}), 2);
    EXPECT_EQ(m_book.store(1, {"My Site", "h2", "u", "p", ""}), 1);
    m_book.write(path());
    EXPECT_EQ(readBytes(), QByteArray("My Site,h2,u,p,\r\nOther,h,u,p,\r\n"));
    // Only the owner may read the passwords, whatever the umask.
    struct stat info
    {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    SiteBook again;
    again.load(path());
    EXPECT_EQ(again.records(), m_book.records());
}

TEST_F(SiteBookFile, DisconnectWritesTheFolderBackAndKeepsBlanks)
{
    m_book.store(1, {"My Site", "host", "user", "pw", ""});
    EXPECT_TRUE(m_book.replace(1, {"My Site", "host", "user", "pw", "/home/u/my docs"}));
    EXPECT_FALSE(m_book.replace(2, {"x", "x", "x", "x", ""}));
    m_book.write(path());
    SiteBook again;
    again.load(path());
    EXPECT_EQ(again.record(1), (SiteRecord{"My Site", "host", "user", "pw", "/home/u/my docs"}));
}

TEST_F(SiteBookFile, JapaneseNamesAreWrittenInCp932)
{
    m_book.store(1, {"日本語サイト", "host", "user", "pw", ""});
    m_book.write(path());
    EXPECT_EQ(readBytes(), QByteArray("\x93\xfa\x96\x7b\x8c\xea\x83\x54\x83\x43\x83\x67,host,user,pw,\r\n"));
    SiteBook again;
    again.load(path());
    EXPECT_EQ(again.record(1).name, QStringLiteral("日本語サイト"));
}

TEST_F(SiteBookFile, DeleteBeyondTheEndChangesNothing)
{
    m_book.store(1, {"a", "b", "c", "d", ""});
    EXPECT_FALSE(m_book.remove(2));
    EXPECT_FALSE(m_book.remove(0));
    EXPECT_EQ(m_book.count(), 1);
    EXPECT_TRUE(m_book.remove(1));
    EXPECT_EQ(m_book.count(), 0);
}

TEST_F(SiteBookFile, AMissingFileGivesAnEmptyBook)
{
    m_book.load(path());
    EXPECT_EQ(m_book.count(), 0);
    EXPECT_FALSE(m_book.modified());
}

TEST_F(SiteBookFile, AnUnreadableFileIsAnErrorAndLeavesTheBookEmpty)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    writeBytes("a,b,c,d,\r\n");
    QFile::setPermissions(path(), QFileDevice::WriteOwner);
    EXPECT_THROW(m_book.load(path()), UserError);
    EXPECT_EQ(m_book.count(), 0);
}

TEST_F(SiteBookFile, AFolderInPlaceOfTheFileIsAnErrorAndLeavesTheBookEmpty)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(SiteBook::kFileName));
    EXPECT_THROW(m_book.load(path()), UserError);
    EXPECT_EQ(m_book.count(), 0);
}

TEST(SiteBookEntry, MustHaveFourFieldsAndNothingItsLineCannotKeep)
{
    const QString filled = QStringLiteral("4つとも記入してください");
    const std::vector<std::pair<SiteRecord, QString>> cases = {
        {{"a", "b", "c", "d", ""}, ""},
        {{"My Site", "h", "u", "p w", "/home/u/my docs"}, ""},
        {{"", "b", "c", "d", ""}, filled},
        {{"a", "b", "c", "", ""}, filled},
        {{"a,b", "h", "u", "p", ""}, "カンマ(,)は登録名に使えません"},
        {{"a", "h", "u", "p,w", ""}, "カンマ(,)はパスワードに使えません"},
        {{"a", "h", "u\n", "p", ""}, "改行 (LF)はユーザーＩＤに使えません"},
        // The folder is kept in the same line, so it is held to the same rule.
        {{"a", "h", "u", "p", "/x,y"}, "カンマ(,)はフォルダに使えません"},
        {{"a", "h", "u", "p", "/x\r\ny"}, "改行 (CR)・改行 (LF)はフォルダに使えません"},
        {{"a\r", "h", "u", "p", "/x,\ny"}, "カンマ(,)・改行 (CR)・改行 (LF)は登録名・フォルダに使えません"},
    };
    for (const auto &[record, reason] : cases)
        EXPECT_EQ(SiteBook::invalidReason(record), reason) << record.line().toStdString();
}

TEST(SiteBookEntry, MayNotTakeTheNameOfAnotherEntry)
{
    SiteBook book;
    book.store(1, {"A", "h", "u", "p", ""});
    book.store(2, {"B", "h", "u", "p", ""});
    const QString takenByA = QStringLiteral("登録名「A」は 1 件目で使っています。別の登録名にしてください");
    const std::vector<std::tuple<int, QString, QString>> cases = {
        {1, "A", ""},       // saved again under its own name
        {2, "A", takenByA}, // renamed to another's
        {3, "A", takenByA}, // added under another's
        {0, "B", QStringLiteral("登録名「B」は 2 件目で使っています。別の登録名にしてください")}, // 0 is the first
        {3, "a", ""}, // names differ in case as the settings file's sections do
        {3, "C", ""},
    };
    for (const auto &[counter, name, reason] : cases)
        EXPECT_EQ(book.nameTakenReason(counter, name), reason) << counter << " " << name.toStdString();
}

TEST_F(SiteBookFile, ABookReadOnlyInPartIsLeftAloneUntilItChangesAndThenKeptBeside)
{
    static const char kDamaged[] = "a,b,c,d,/x\r\nlost\0e,f,g,h,\r\n";
    const QByteArray damaged(kDamaged, sizeof kDamaged - 1);
    writeBytes(damaged);
    m_book.load(path());
    ASSERT_EQ(m_book.count(), 2);
    m_book.write(path());
    EXPECT_EQ(readBytes(), damaged);
    EXPECT_FALSE(QFile::exists(path() + ".bak"));

    m_book.store(3, {"n", "h", "u", "p", ""});
    m_book.write(path());
    EXPECT_EQ(readBytes(), QByteArray("a,b,c,d,/x\r\nlost\r\nn,h,u,p,\r\n"));
    QFile backup(path() + ".bak");
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), damaged);
}

TEST(FtpAddressText, TakesAPortAfterAColonAnd21OtherwiseAndIpv6AddressesWithOrWithoutBrackets)
{
    const std::vector<std::tuple<QString, QString, int>> cases = {
        {"example.jp", "example.jp", 21},
        {" example.jp ", "example.jp", 21},
        {"example.jp:2121", "example.jp", 2121},
        {"127.0.0.1:65535", "127.0.0.1", 65535},
        // An IPv6 address: bare it is all host, its port goes after brackets.
        {"::1", "::1", 21},
        {"[::1]:2121", "::1", 2121},
        {" [::1] ", "::1", 21},
        {"2001:db8::10", "2001:db8::10", 21},
        {"[fe80::1%eth0]:990", "fe80::1%eth0", 990},
    };
    for (const auto &[text, host, port] : cases) {
        const FtpAddress address = FtpAddress::parse(text);
        EXPECT_EQ(address.host, host) << text.toStdString();
        EXPECT_EQ(address.port, port) << text.toStdString();
        // Written out, it reads back the same.
        const FtpAddress again = FtpAddress::parse(address.text());
        EXPECT_EQ(again.host, host) << address.text().toStdString();
        EXPECT_EQ(again.port, port) << address.text().toStdString();
    }
    EXPECT_EQ(FtpAddress::parse(QStringLiteral("::1")).text(), QStringLiteral("[::1]:21"));
    // SFTP's own port where none is given, and only there.
    for (const auto &[text, port] : std::vector<std::pair<QString, int>>{
             {"example.jp", 22}, {"[::1]", 22}, {"::1", 22}, {"example.jp:2222", 2222}, {"[::1]:21", 21}})
        EXPECT_EQ(FtpAddress::parse(text, 22).port, port) << text.toStdString();
    for (const QString &bad : {QStringLiteral("h:"),
                               QStringLiteral("h:0"),
                               QStringLiteral("h:65536"),
                               QStringLiteral("h:21x"),
                               QStringLiteral("h:-1"),
                               QStringLiteral(":21"),
                               QStringLiteral("[::1"),
                               QStringLiteral("[::1]:"),
                               QStringLiteral("[::1]2121"),
                               QStringLiteral("[::1]:0"),
                               QStringLiteral("[example.jp]:21"),
                               QStringLiteral("[]"),
                               QStringLiteral("::1]:21")})
        EXPECT_THROW(FtpAddress::parse(bad), UserError) << bad.toStdString();
}

} // namespace
