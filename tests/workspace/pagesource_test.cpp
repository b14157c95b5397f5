// The page source: an open page's unsaved text before its file, the file's own text (in its
// encoding) for a page that is not open, and a clear refusal of what is no text.
#include "workspace/pagesource.h"

#include "common/usererror.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class PageSourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        page = QDir(dir.path()).filePath(QStringLiteral("index.html"));
        // Shift_JIS "猫" with LF line ends, as the page was last saved: the page source gives
        // CR LF, as the editor would hold it.
        writeFile(page, QByteArray("<p>\x94\x4c</p>\n<p>2</p>\n"));
    }

    QTemporaryDir dir;
    QString page;
    DocumentRegistry registry;
    PageSource source{registry};
};

TEST_F(PageSourceTest, APageNotOpenIsReadFromItsFileInItsEncoding)
{
    const PageSource::Page read = source.page(page);
    EXPECT_FALSE(read.open);
    EXPECT_EQ(read.text, QStringLiteral("<p>猫</p>\r\n<p>2</p>\r\n"));
    EXPECT_EQ(read.format.encoding, TextFormat::Encoding::Cp932);
}

TEST_F(PageSourceTest, AnOpenPageGivesItsUnsavedTextWithCrLf)
{
    Document &open = registry.create();
    open.text()->setPlainText(QStringLiteral("<p>犬</p>\nedited"));
    open.text()->setModified(true);
    open.setPath(page);
    TextFormat utf8;
    utf8.encoding = TextFormat::Encoding::Utf8;
    open.setFormat(utf8);

    // By another path to the same file too: the open page is the one the user sees.
    const PageSource::Page read = source.page(dir.path() + QStringLiteral("/./index.html"));
    EXPECT_TRUE(read.open);
    EXPECT_EQ(read.text, QStringLiteral("<p>犬</p>\r\nedited"));
    EXPECT_EQ(read.format.encoding, TextFormat::Encoding::Utf8);

    // A tab of the last session not read yet holds no text of the page: the file stands.
    open.setUnread(true);
    EXPECT_FALSE(source.page(page).open);
    EXPECT_EQ(source.page(page).text, QStringLiteral("<p>猫</p>\r\n<p>2</p>\r\n"));
}

TEST_F(PageSourceTest, AFileThatIsNoTextIsRefusedByName)
{
    const QString image = QDir(dir.path()).filePath(QStringLiteral("logo.png"));
    writeFile(image, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    try {
        source.page(image);
        FAIL() << "an image was read as a page";
    } catch (const UserError &e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("ファイル %1 は開けません").arg(image)))
            << e.text().toStdString();
    }
}

} // namespace
