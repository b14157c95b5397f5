#include "preview/previewfile.h"

#include <gtest/gtest.h>

TEST(PreviewFile, NameIsTheStartTimeWithUnderscores)
{
    EXPECT_EQ(PreviewFile::makeName(QTime(13, 5, 22)), QStringLiteral("13_05_22.htm"));
    EXPECT_EQ(PreviewFile::makeName(QTime(0, 0, 9)), QStringLiteral("00_00_09.htm"));
}

TEST(PreviewFile, FolderIsThePreviewFolderElseTheCurrentElseTheProgramsOwn)
{
    struct Row
    {
        const char *previewDir;
        const char *current;
        const char *executable;
        const char *expected;
    };
    const Row rows[] = {
        {"/home/u/site/", "/tmp", "/opt/qzweb", "/home/u/site/"},
        {"", "/home/u/work", "/opt/qzweb", "/home/u/work/"},
        {"", "/", "/opt/qzweb", "/"},
        {"", "", "/opt/qzweb", "/opt/qzweb/"},
        {"", "", "/opt/qzweb/", "/opt/qzweb/"},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(PreviewFile::folderFor(QString::fromUtf8(row.previewDir), QString::fromUtf8(row.current),
                                         QString::fromUtf8(row.executable)),
                  QString::fromUtf8(row.expected))
            << row.previewDir << "|" << row.current;
    }
}
