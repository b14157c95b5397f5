// What a dropped picture becomes without a window: the format its bytes say, the tag with its
// address and size, and the copy into the page's folder that never replaces another file.
#include "authoring/droppedimagetag.h"
#include "authoring/imagesignature.h"
#include "authoring/siteimagecopy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

using Format = ImageSignature::Format;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(ImageSignature, TheBytesSayWhatAPictureIsAndPagesAreNone)
{
    const struct
    {
        const char *name;
        QByteArray start;
        std::optional<Format> format;
    } cases[] = {
        {"Png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), Format::Png},
        {"Jpeg", "\xff\xd8\xff\xe0\x00\x10JFIF", Format::Jpeg},
        {"Gif87", "GIF87a\x01\x00", Format::Gif},
        {"Gif89", "GIF89a\x01\x00", Format::Gif},
        {"WebP", QByteArray("RIFF\x24\0\0\0WEBPVP8 ", 16), Format::WebP},
        {"RiffThatIsNoWebP", QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16), std::nullopt},
        {"Svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1\" height=\"1\"/>", Format::Svg},
        {"SvgAfterPrologueCommentAndDoctype",
         "\xef\xbb\xbf<?xml version=\"1.0\"?>\n<!-- drawn by hand -->\n<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG "
         "1.1//EN\" "
         "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n<svg:svg xmlns:svg=\"http://www.w3.org/2000/svg\">",
         Format::Svg},
        // Qt's SVG reader takes anything with "<?xml" or a comment near the start; a page is no picture.
        {"XhtmlPage",
         "<?xml version=\"1.0\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"><body/></html>",
         std::nullopt},
        {"HtmlWithComment", "<!-- top --><html><svg></svg></html>", std::nullopt},
        {"Text", "<p>not a picture</p>", std::nullopt},
        {"Bmp", QByteArray("BM\x3a\0\0\0\0\0\0\0", 10), std::nullopt},
        {"Empty", QByteArray(), std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ImageSignature::of(c.start), c.format) << c.name;
}

TEST(DroppedImageTag, AddressAndSizeWithTheCaretPlaceInTheEmptyAlt)
{
    const struct
    {
        const char *relative;
        QSize size;
        const char *text;
    } cases[] = {
        {"img/logo.png", QSize(120, 80), R"(<img src="img/logo.png" width="120" height="80" alt="">)"},
        {"drawing.svg", QSize(), R"(<img src="drawing.svg" alt="">)"},
        {"../写真/ねこ 1.jpg", QSize(3, 4), R"(<img src="../写真/ねこ%201.jpg" width="3" height="4" alt="">)"},
        {"a#b?c%d&e\"f<g>.png",
         QSize(1, 1),
         R"(<img src="a%23b%3Fc%25d&amp;e%22f%3Cg%3E.png" width="1" height="1" alt="">)"},
    };
    for (const auto &c : cases) {
        const DroppedImageTag::Tag tag = DroppedImageTag::build(QString::fromUtf8(c.relative), c.size);
        EXPECT_EQ(tag.text, QString::fromUtf8(c.text)) << c.relative;
        EXPECT_EQ(tag.text.left(tag.altPosition).right(5), QStringLiteral("alt=\"")) << c.relative;
        EXPECT_EQ(tag.text.mid(tag.altPosition), QStringLiteral("\">")) << c.relative;
    }
}

TEST(SiteImageCopy, GoesIntoImagesWhenThereAndNeverReplacesAnotherFile)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString site = QDir(work.path()).filePath(QStringLiteral("site"));
    const QString picture = QDir(work.path()).filePath(QStringLiteral("pictures/mike.png"));
    writeFile(picture, "picture bytes");
    writeFile(QDir(site).filePath(QStringLiteral("page.htm")), "<p>page</p>");

    EXPECT_EQ(SiteImageCopy::targetFolder(site), site);
    const QString first = SiteImageCopy::copy(picture, site);
    EXPECT_EQ(first, QDir(site).filePath(QStringLiteral("mike.png")));
    EXPECT_EQ(readFile(first), "picture bytes");
    EXPECT_EQ(SiteImageCopy::copy(picture, site), first) << "the same bytes are already there";

    // Another picture of the same name keeps the copy there and gets the next free name.
    writeFile(picture, "another picture");
    const QString second = SiteImageCopy::copy(picture, site);
    EXPECT_EQ(second, QDir(site).filePath(QStringLiteral("mike-2.png")));
    EXPECT_EQ(readFile(first), "picture bytes");
    EXPECT_EQ(readFile(second), "another picture");

    QDir().mkpath(QDir(site).filePath(QStringLiteral("images")));
    const QString images = SiteImageCopy::targetFolder(site);
    EXPECT_EQ(images, QDir(site).filePath(QStringLiteral("images")));
    writeFile(QDir(images).filePath(QStringLiteral("mike.png")), "someone else's");
    writeFile(QDir(images).filePath(QStringLiteral("mike-2.png")), "and another");
    EXPECT_EQ(SiteImageCopy::copy(picture, images), QDir(images).filePath(QStringLiteral("mike-3.png")));
    EXPECT_EQ(readFile(QDir(images).filePath(QStringLiteral("mike.png"))), "someone else's");
}
