#include "common/regularfile.h"

#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the reader is pointed at, made inside a fresh folder; returns its path.
struct RefusedCase
{
    const char *name;
    std::function<QString(const QDir &)> make;
    qint64 limit;
    const char *reason; // part of the text the refusal must show
    friend void PrintTo(const RefusedCase &c, std::ostream *os) { *os << c.name; }
};

QString fifo(const QDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("pipe.htm"));
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    return path;
}

QString sparse(const QDir &dir, qint64 size)
{
    const QString path = dir.filePath(QStringLiteral("huge.htm"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    // Holes only: the size is claimed without the disk holding it.
    EXPECT_EQ(::ftruncate(file.handle(), size), 0);
    return path;
}

class RegularFileRefusal : public ::testing::TestWithParam<RefusedCase>
{};

// None of these may block or read without end; each names the file and says why.
TEST_P(RegularFileRefusal, RefusesBeforeReading)
{
    QTemporaryDir temp;
    const QString path = GetParam().make(QDir(temp.path()));
    try {
        RegularFile::readAll(path, GetParam().limit);
        FAIL() << "read " << path.toStdString();
    } catch (const UserError &e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("ファイル %1 は開けません\n").arg(path)))
            << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(GetParam().reason))) << e.text().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    RegularFileRefusal,
    ::testing::Values(RefusedCase{"NamedPipe",
                                  fifo,
                                  RegularFile::kDocumentLimit,
                                  "名前付きパイプは通常のファイルではないため開けません"},
                      RefusedCase{"NullDevice",
                                  [](const QDir &) { return QStringLiteral("/dev/null"); },
                                  RegularFile::kDocumentLimit,
                                  "デバイスは通常のファイルではないため開けません"},
                      RefusedCase{"EndlessDevice",
                                  [](const QDir &) { return QStringLiteral("/dev/zero"); },
                                  RegularFile::kDocumentLimit,
                                  "デバイスは通常のファイルではないため開けません"},
                      RefusedCase{"SparseBeyondTheDocumentLimit",
                                  [](const QDir &dir) { return sparse(dir, RegularFile::kDocumentLimit + 1); },
                                  RegularFile::kDocumentLimit,
                                  "256 MB を超える大きなファイルは開けません"},
                      RefusedCase{"Folder",
                                  [](const QDir &dir) { return dir.path(); },
                                  RegularFile::kListFileLimit,
                                  "フォルダはファイルとして開けません"},
                      RefusedCase{"Missing",
                                  [](const QDir &dir) { return dir.filePath(QStringLiteral("none.htm")); },
                                  RegularFile::kListFileLimit,
                                  "指定されたファイルが見つかりません"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RegularFile, ReadsAFileUpToItsLimitWholeAndTheStartOfALargerOne)
{
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath(QStringLiteral("page.htm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0123456789");
    file.close();
    EXPECT_EQ(RegularFile::readAll(path, 10), QByteArray("0123456789"));
    EXPECT_THROW(RegularFile::readAll(path, 9), UserError);
    EXPECT_EQ(RegularFile::readStart(path, 4), QByteArray("0123"));
    EXPECT_THROW(RegularFile::readStart(QStringLiteral("/dev/zero"), 4), UserError);
}

} // namespace
