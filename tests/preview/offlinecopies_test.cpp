#include "preview/offlinecopies.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class OfflineCopiesTest : public ::testing::Test
{
protected:
    // Writes a copy of the page at address as the engine would, and reports it done.
    QString keep(const QString &address, const QByteArray &content = "copy")
    {
        const QString path = copies.reserve(address);
        write(path, content);
        copies.commit(path);
        return path;
    }
    static void write(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir folder;
    OfflineCopies copies{folder.path(), 3};
};

} // namespace

TEST_F(OfflineCopiesTest, ACopyStandsForItsAddressOnlyOnceWritten)
{
    const QString address = QStringLiteral("http://127.0.0.1:8080/a.html");
    const QString path = copies.reserve(address);
    EXPECT_TRUE(path.startsWith(folder.path()));
    write(path, "half");
    EXPECT_TRUE(copies.copyOf(address).isEmpty());
    EXPECT_TRUE(copies.addressOfCopy(path).isEmpty());
    copies.commit(path);
    EXPECT_EQ(copies.copyOf(address), path);
    EXPECT_EQ(copies.addressOfCopy(path), address);
    EXPECT_TRUE(copies.addressOfCopy(folder.filePath(QStringLiteral("other.mhtml"))).isEmpty());
}

TEST_F(OfflineCopiesTest, TheSamePageUnderOtherSpellingsHasOneCopy)
{
    const QString path = keep(QStringLiteral("http://127.0.0.1/dir/page.html#part"));
    const QString sameAddresses[] = {
        QStringLiteral("http://127.0.0.1/dir/page.html"),
        QStringLiteral("http://127.0.0.1/dir/page.html#other"),
        QStringLiteral("http://127.0.0.1/dir/../dir/page.html"),
    };
    for (const QString &address : sameAddresses)
        EXPECT_EQ(copies.copyOf(address), path) << address.toStdString();
    const QString otherAddresses[] = {
        QStringLiteral("http://127.0.0.1/dir/page.html?q=1"),
        QStringLiteral("https://127.0.0.1/dir/page.html"),
        QStringLiteral("http://127.0.0.1/dir/"),
    };
    for (const QString &address : otherAddresses)
        EXPECT_TRUE(copies.copyOf(address).isEmpty()) << address.toStdString();
}

TEST_F(OfflineCopiesTest, ANewerCopyReplacesTheOlderAndAFailedOneKeepsIt)
{
    const QString address = QStringLiteral("http://127.0.0.1/a.html");
    const QString first = keep(address, "first");
    const QString failed = copies.reserve(address);
    write(failed, "broken");
    copies.discard(failed);
    EXPECT_FALSE(QFile::exists(failed));
    EXPECT_EQ(copies.copyOf(address), first);

    const QString second = keep(address, "second");
    EXPECT_NE(second, first);
    EXPECT_EQ(copies.copyOf(address), second);
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(copies.addressOfCopy(first).isEmpty());
    EXPECT_EQ(copies.count(), 1);
}

TEST_F(OfflineCopiesTest, BeyondTheLimitTheOldestCopiesGo)
{
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths.append(keep(QStringLiteral("http://127.0.0.1/%1.html").arg(i)));
    EXPECT_EQ(copies.count(), 3);
    for (int i = 0; i < 5; ++i) {
        const bool kept = i >= 2;
        EXPECT_EQ(copies.copyOf(QStringLiteral("http://127.0.0.1/%1.html").arg(i)).isEmpty(), !kept) << i;
        EXPECT_EQ(QFile::exists(paths.at(i)), kept) << i;
    }
    // A page shown again counts as new: it outlives those kept after it first.
    keep(QStringLiteral("http://127.0.0.1/2.html"));
    keep(QStringLiteral("http://127.0.0.1/5.html"));
    EXPECT_FALSE(copies.copyOf(QStringLiteral("http://127.0.0.1/2.html")).isEmpty());
    EXPECT_TRUE(copies.copyOf(QStringLiteral("http://127.0.0.1/3.html")).isEmpty());
}

TEST_F(OfflineCopiesTest, ReportsAboutFilesItDidNotNameChangeNothing)
{
    const QString stranger = folder.filePath(QStringLiteral("download.mhtml"));
    write(stranger, "theirs");
    copies.commit(stranger);
    copies.discard(stranger);
    EXPECT_TRUE(QFile::exists(stranger));
    EXPECT_EQ(copies.count(), 0);
}
