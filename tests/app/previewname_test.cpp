#include "preview/previewfile.h"

#include <gtest/gtest.h>

namespace {

TEST(PreviewFile, NameComesFromTheClockWithUnderscores)
{
    EXPECT_EQ(PreviewFile::makeName(QTime(13, 5, 22)), QStringLiteral("13_05_22.htm"));
    EXPECT_EQ(PreviewFile::makeName(QTime(9, 0, 0)), QStringLiteral("09_00_00.htm"));
    // Two runs in the same second share the name; each deletes it in its own folder.
    EXPECT_EQ(PreviewFile::makeName(QTime(23, 59, 59, 1)), PreviewFile::makeName(QTime(23, 59, 59, 998)));
}

} // namespace
