#include "transfer/folderwalk.h"
#include "transfer/localfolderreader.h"
#include "transfer/permissionbits.h"
#include "transfer/remotenames.h"
#include "transfer/transferpaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(TransferPaths, ConvertSeparatorsTurnsOnlyTheOtherSeparator)
{
    const struct
    {
        QString path;
        QChar sep;
        QString expected;
    } cases[] = {
        {QStringLiteral("C:\\web\\site\\img"), u'/', QStringLiteral("C:/web/site/img")},
        {QStringLiteral("site/img/a b.gif"), u'\\', QStringLiteral("site\\img\\a b.gif")},
        {QStringLiteral("mixed/one\\two"), u'/', QStringLiteral("mixed/one/two")},
        {QStringLiteral("no separators"), u'/', QStringLiteral("no separators")},
        {QString(), u'\\', QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TransferPaths::convertSeparators(c.path, c.sep), c.expected) << c.path.toStdString();
    // Local paths are text, so a Shift_JIS file name whose second byte is "\" stays whole.
    EXPECT_EQ(TransferPaths::convertSeparators(QStringLiteral("C:\\web\\表.htm"), u'/'),
              QStringLiteral("C:/web/表.htm"));
}

TEST(TransferPaths, ParentPathKeepsTheSeparatorAndDropsOneTrailingOne)
{
    const struct
    {
        QString path;
        QChar sep;
        QString expected;
    } cases[] = {
        {QStringLiteral("C:\\web\\site\\"), u'\\', QStringLiteral("C:\\web\\")},
        {QStringLiteral("C:\\web\\site"), u'\\', QStringLiteral("C:\\web\\")},
        {QStringLiteral("site/sub"), u'/', QStringLiteral("site/")},
        {QStringLiteral("site"), u'/', QString()},
        {QStringLiteral("site/"), u'/', QString()},
        {QStringLiteral("/"), u'/', QString()},
        {QStringLiteral("/home/u/web"), u'/', QStringLiteral("/home/u/")},
        {QString(), u'/', QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TransferPaths::parentPath(c.path, c.sep), c.expected) << c.path.toStdString();
    EXPECT_EQ(TransferPaths::parentPath(QByteArray("site/img/x.gif"), '/'), QByteArray("site/img/"));
    EXPECT_EQ(TransferPaths::parentPath(QByteArray("\x95\x5c/\x95\x5c.htm"), '/'), QByteArray("\x95\x5c/"));
}

TEST(PermissionBits, AttributesGiveTheBoxesAndDigits)
{
    const struct
    {
        QString attributes;
        QString digits;
    } cases[] = {
        {QStringLiteral("-rw-r--r--"), QStringLiteral("644")},
        {QStringLiteral("drwxr-xr-x"), QStringLiteral("755")},
        {QStringLiteral("-rwsr-xr-x"), QStringLiteral("655")}, // "s" is not "x"
        {QStringLiteral("drwxrwxrwt"), QStringLiteral("776")},
        {QStringLiteral("----------"), QStringLiteral("000")},
        {QStringLiteral("-rwx"), QStringLiteral("700")}, // missing characters are off
        {QString(), QStringLiteral("000")},
        {QStringLiteral("xrwxrwxrwx"), QStringLiteral("777")}, // character 1 is the kind only
        {QStringLiteral("-wrxwrxwrx"), QStringLiteral("111")}, // letters count only in their place
    };
    for (const auto &c : cases)
        EXPECT_EQ(PermissionBits::fromAttributes(c.attributes).digits(), c.digits) << c.attributes.toStdString();

    const PermissionBits bits = PermissionBits::fromAttributes(QStringLiteral("-rw-r--r--"));
    EXPECT_TRUE(bits.checked[0][0] && bits.checked[0][1] && !bits.checked[0][2]);
    EXPECT_TRUE(bits.checked[1][0] && !bits.checked[1][1] && !bits.checked[1][2]);
    EXPECT_EQ(bits.digit(PermissionBits::Group::Others), QLatin1Char('4'));
}

TEST(PermissionBits, DirectEntryWinsOnlyAsThreeOctalDigits)
{
    const PermissionBits boxes = PermissionBits::fromAttributes(QStringLiteral("-rw-r--r--"));
    const struct
    {
        QString entry;
        QString command; // empty: nothing is sent
    } cases[] = {
        {QStringLiteral("755"), QStringLiteral("chmod 755 cgi.pl")},
        {QStringLiteral("000"), QStringLiteral("chmod 000 cgi.pl")},
        {QStringLiteral("75"), QStringLiteral("chmod 644 cgi.pl")},
        {QStringLiteral("7a5"), QStringLiteral("chmod 644 cgi.pl")},
        {QStringLiteral("789"), QStringLiteral("chmod 644 cgi.pl")},
        {QString(), QStringLiteral("chmod 644 cgi.pl")},
        {QStringLiteral("０７５"), QStringLiteral("chmod 644 cgi.pl")}, // full-width digits are not octal
        {QStringLiteral("0755"), QString()},
        {QStringLiteral("7555555"), QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(boxes.siteCommand(c.entry, QStringLiteral("cgi.pl")), c.command) << c.entry.toStdString();
}

// The whole mode a listing shows, special bits included, and back; other texts have none.
TEST(PermissionBits, ModeOfAttributesAndBack)
{
    const struct
    {
        const char *attributes;
        int mode; // -1: none
        const char *octal;
    } cases[] = {
        {"-rwxr-xr-x", 0755, "755"},
        {"-rw-------", 0600, "600"},
        {"drwxr-x---", 0750, "750"},
        {"-rwsr-xr-x", 04755, "4755"},
        {"-rwSr--r--", 04644, "4644"},
        {"drwxrwsr-x", 02775, "2775"},
        {"drwxrwxrwt", 01777, "1777"},
        {"-rw-r--r-T", 01644, "1644"},
        {"-rw-r--r--+", 0644, "644"},
        {"----------", 0, "000"},
        {"-rw-r--r", -1, ""},
        {"-rw-r--r--++", -1, ""},
        {"-rwxr-xr-q", -1, ""},
        {"<DIR>", -1, ""},
        {"-", -1, ""},
    };
    for (const auto &c : cases) {
        const QString attributes = QString::fromLatin1(c.attributes);
        const std::optional<int> mode = PermissionBits::modeOf(attributes);
        EXPECT_EQ(mode.value_or(-1), c.mode) << c.attributes;
        if (!mode)
            continue;
        EXPECT_EQ(PermissionBits::octal(*mode), QString::fromLatin1(c.octal)) << c.attributes;
        EXPECT_EQ(PermissionBits::attributesOf(attributes.at(0), *mode), attributes.left(10)) << c.attributes;
    }
}

void makeFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.toStdString();
    ::close(fd);
}

TEST(FolderWalk, LocalWalkTakesNamesAsBytesIsBreadthFirstAndNamesWhatItPassesOver)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QByteArray top = QFile::encodeName(scratch.filePath(QStringLiteral("site")));
    const QByteArray hyou = "\x95\x5c.htm";             // 表.htm in CP932, not UTF-8
    const QByteArray text = "\x83\x65\x83\x58\x83\x67"; // テスト in CP932
    ASSERT_TRUE(QDir().mkpath(QFile::decodeName(top + "/b/deep")));
    ASSERT_EQ(::mkdir((top + "/" + text).constData(), 0755), 0);
    makeFile(top + "/index.htm");
    makeFile(top + "/.htaccess");
    makeFile(top + "/" + hyou);
    makeFile(top + "/" + text + "/x.gif");
    makeFile(top + "/b/deep/y.gif");
    ASSERT_EQ(::mkfifo((top + "/pipe").constData(), 0644), 0);
    // A link back up the tree would make a naive walk endless.
    ASSERT_EQ(::symlink(top.constData(), (top + "/b/up").constData()), 0);

    const auto walk = FolderWalk::walkLocalFolder(top);
    EXPECT_EQ(walk.folders, (QList<QByteArray>{top, top + "/b", top + "/" + text, top + "/b/deep"}));
    EXPECT_EQ(walk.files,
              (QList<QByteArray>{top + "/.htaccess",
                                 top + "/index.htm",
                                 top + "/" + hyou,
                                 top + "/" + text + "/x.gif",
                                 top + "/b/deep/y.gif"}));
    // A FIFO would block an upload for ever and a link is never followed; both are told.
    ASSERT_EQ(walk.skipped.size(), 2);
    EXPECT_EQ(walk.skipped.at(0).path, top + "/pipe");
    EXPECT_EQ(walk.skipped.at(0).reason, FolderWalk::LocalSkip::Special);
    EXPECT_EQ(walk.skipped.at(1).path, top + "/b/up");
    EXPECT_EQ(walk.skipped.at(1).reason, FolderWalk::LocalSkip::Link);
    EXPECT_THROW(FolderWalk::walkLocalFolder(top + "/missing"), std::exception);

    // The local list reads the same bytes and shows them as CP932.
    QStringList shown;
    LocalFolderReader reader(top);
    while (const auto entry = reader.next()) {
        if (!entry->leadsToFolder)
            shown.append(RemoteNames::decode(entry->name));
    }
    shown.sort();
    EXPECT_EQ(shown, (QStringList{".htaccess", "index.htm", "pipe", "表.htm"}));
    // QTemporaryDir's own clean-up does not see such names either.
    std::filesystem::remove_all(top.toStdString());
}

TEST(FolderWalk, RemoteWalkListsEachFolderWithATrailingSlashAndSkipsDots)
{
    QList<QByteArray> asked;
    const FolderWalk::ListFolder list = [&asked](const QByteArray &path) -> QList<FolderWalk::RemoteEntry> {
        asked.append(path);
        if (path == "site/")
            return {{".", true}, {"..", true}, {"img", true}, {"index.htm", false}, {"a b.htm", false}, {"css", true}};
        if (path == "site/img/")
            return {{"x.gif", false}, {"", false}};
        return {};
    };
    const auto walk = FolderWalk::walkRemoteFolder("site", list);
    EXPECT_EQ(asked, (QList<QByteArray>{"site/", "site/img/", "site/css/"}));
    EXPECT_EQ(walk.folders, (QList<QByteArray>{"site", "site/img", "site/css"}));
    EXPECT_EQ(walk.files, (QList<QByteArray>{"site/index.htm", "site/a b.htm", "site/img/x.gif"}));
}

TEST(FolderWalk, AnEndlessRemoteTreeIsRefused)
{
    // A hostile server can answer every listing with one more sub-folder.
    const FolderWalk::ListFolder endless = [](const QByteArray &) -> QList<FolderWalk::RemoteEntry> {
        return {{"again", true}};
    };
    EXPECT_THROW(FolderWalk::walkRemoteFolder("top", endless, 50), std::exception);
}

} // namespace
