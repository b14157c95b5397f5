// What the document commands do to the document and the preview folder, without files or windows: the caption,
// the folders each command moves or keeps, the read mode, and Save's way to Save As.
#include "app/documentstate.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

class DocumentStateTest : public ::testing::Test
{
protected:
    DocumentStateTest()
    {
        page.setPath(QStringLiteral("/site/old.htm"));
        preview.previewDir = QStringLiteral("/site/");
        TextFormat utf8WithMark;
        utf8WithMark.encoding = TextFormat::Encoding::Utf8;
        utf8WithMark.byteOrderMark = true;
        page.setFormat(utf8WithMark);
    }

    Document page;
    PreviewSession preview;
    DocumentState document{page, preview};
};

TEST_F(DocumentStateTest, CaptionNamesTheDocumentInThePlatformsSeparators)
{
    EXPECT_EQ(DocumentState::caption(QString()), QStringLiteral("QZWeb"));
    EXPECT_EQ(DocumentState::caption(QStringLiteral("/a/b c.htm")),
              QStringLiteral("QZWeb [") + QDir::toNativeSeparators(QStringLiteral("/a/b c.htm")) + QLatin1Char(']'));
    EXPECT_EQ(document.caption(), DocumentState::caption(page.path()));
}

TEST_F(DocumentStateTest, NewUntitlesButKeepsFolderAndReadMode)
{
    page.setReadsPlainText(true);
    document.startNew();
    EXPECT_TRUE(page.path().isEmpty());
    EXPECT_EQ(page.format().encoding, TextFormat::Encoding::Cp932);
    EXPECT_FALSE(page.format().byteOrderMark);
    EXPECT_EQ(preview.previewDir, QStringLiteral("/site/"));
    EXPECT_TRUE(page.readsPlainText());
    EXPECT_EQ(document.caption(), QStringLiteral("QZWeb"));
}

TEST_F(DocumentStateTest, OpenMovesTheFolderBeforeTheReadAndTheDocumentAfterIt)
{
    page.setReadsPlainText(true);
    EXPECT_EQ(document.beginOpen(QStringLiteral("/other/dir/page.htm")), QStringLiteral("/other/dir"));
    EXPECT_EQ(preview.previewDir, QDir::toNativeSeparators(QStringLiteral("/other/dir/")));
    EXPECT_FALSE(page.readsPlainText());
    // A read that fails stops here: the document is still the old one.
    EXPECT_EQ(page.path(), QStringLiteral("/site/old.htm"));

    document.opened(QStringLiteral("/other/dir/page.htm"), TextFormat{});
    EXPECT_EQ(page.path(), QStringLiteral("/other/dir/page.htm"));
    EXPECT_EQ(page.format().encoding, TextFormat::Encoding::Cp932);
}

TEST_F(DocumentStateTest, AFileInTheRootFolderGetsOneSeparator)
{
    EXPECT_EQ(document.beginOpen(QStringLiteral("/page.htm")), QStringLiteral("/"));
    EXPECT_EQ(preview.previewDir, QDir::toNativeSeparators(QStringLiteral("/")));
}

TEST_F(DocumentStateTest, ADropReadsPlainTextAndTakesThePreviewBesideThePage)
{
    document.dropped(QStringLiteral("/drop/page.rtf"), TextFormat{});
    EXPECT_TRUE(page.readsPlainText());
    EXPECT_EQ(page.path(), QStringLiteral("/drop/page.rtf"));
    EXPECT_EQ(preview.previewDir, QDir::toNativeSeparators(QStringLiteral("/drop/")));
}

TEST_F(DocumentStateTest, SaveNeedsANameForUntitledOrVanishedDocuments)
{
    EXPECT_FALSE(document.saveNeedsName(true));
    EXPECT_TRUE(document.saveNeedsName(false));
    document.startNew();
    EXPECT_TRUE(document.saveNeedsName(true));
}

TEST_F(DocumentStateTest, TheNameDecidesTheReadModeOfAWrite)
{
    const struct
    {
        const char *path;
        bool plain;
    } cases[] = {{"/a/page.rtf", false}, {"/a/page.RTF", true}, {"/a/page.htm", true}, {"/a/rtf", true}};
    for (const auto &c : cases) {
        EXPECT_EQ(document.beginWrite(QString::fromLatin1(c.path)), c.plain) << c.path;
        EXPECT_EQ(page.readsPlainText(), c.plain) << c.path;
    }
}

TEST_F(DocumentStateTest, SaveAsMakesTheFileCurrentAndItsFolderThePreviewFolder)
{
    EXPECT_EQ(document.savedAs(QStringLiteral("/new/place/page.htm")), QStringLiteral("/new/place"));
    EXPECT_EQ(page.path(), QStringLiteral("/new/place/page.htm"));
    EXPECT_EQ(preview.previewDir, QDir::toNativeSeparators(QStringLiteral("/new/place/")));
    EXPECT_EQ(document.caption(), DocumentState::caption(QStringLiteral("/new/place/page.htm")));
}

TEST_F(DocumentStateTest, FormatLabelSaysHowSaveWritesTheDocument)
{
    const struct
    {
        const char *file;
        TextFormat::Encoding encoding;
        bool bom;
        const char *label;
    } cases[] = {
        {"/site/page.htm", TextFormat::Encoding::Cp932, false, "Shift_JIS"},
        {"/site/page.htm", TextFormat::Encoding::Utf8, false, "UTF-8"},
        {"/site/page.htm", TextFormat::Encoding::Utf8, true, "UTF-8 (BOM)"},
        {"", TextFormat::Encoding::Cp932, false, "Shift_JIS"},
        {"/site/page.rtf", TextFormat::Encoding::Cp932, false, "RTF"},
        {"/site/page.RTF", TextFormat::Encoding::Utf8, false, "UTF-8"}, // written as plain text
    };
    for (const auto &c : cases) {
        page.setPath(QString::fromUtf8(c.file));
        TextFormat format;
        format.encoding = c.encoding;
        format.byteOrderMark = c.bom;
        page.setFormat(format);
        EXPECT_EQ(DocumentState::formatLabel(page), QString::fromUtf8(c.label)) << c.file << " " << c.label;
    }
}

} // namespace
