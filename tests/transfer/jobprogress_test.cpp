#include "transfer/jobprogress.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(JobProgressShare, IsTheFilesBytesOfItsSizeAndTheFilesDoneOfThemAll)
{
    struct Case
    {
        const char *name;
        JobProgress progress;
        std::optional<int> percent;
    };
    const Case cases[] = {
        {"one file under way", {512, 2048, "a", 0, 1}, 25},
        {"one file, size unknown", {512, 0, "a", 0, 1}, 0},
        {"a listing", {4096, 0, "a"}, std::nullopt},
        {"a step of one", {1, 4, "a"}, 25},
        {"the third of four files, half sent", {50, 100, "a", 2, 4}, 62},
        {"the last file complete", {100, 100, "a", 3, 4}, 100},
        {"every file done", {0, 0, "a", 4, 4}, 100},
        {"a deletion's steps", {0, 0, "a", 1, 4}, 25},
        {"a file that grew", {300, 200, "a", 0, 2}, 50},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.progress.percent(), c.percent) << c.name;
}

TEST(JobProgressShare, DescribesTheFileAndForSeveralTheWholeJob)
{
    EXPECT_EQ((JobProgress{512 * 1024, 2048 * 1024, "index.html", 0, 1, 512 * 1024, 2048 * 1024}).description(),
              QStringLiteral("index.html 512 / 2048 KB"));
    EXPECT_EQ((JobProgress{1024, 4096, "2/3 a.gif", 1, 3, 9216, 12288}).description(),
              QStringLiteral("2/3 a.gif 1 / 4 KB（全体 9 / 12 KB）"));
    EXPECT_EQ((JobProgress{0, 0, "site/img", 0, 3}).description(), QStringLiteral("site/img"));
}

} // namespace
