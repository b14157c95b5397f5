#include "pagecheck/localtarget.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(LocalTargetTest, JudgesAddressesAgainstTheSiteFolder)
{
    QTemporaryDir site;
    ASSERT_TRUE(site.isValid());
    touch(site.filePath(QStringLiteral("pages/index.html")));
    touch(site.filePath(QStringLiteral("pages/Photo.JPG")));
    touch(site.filePath(QStringLiteral("Images/logo.png")));
    touch(site.filePath(QStringLiteral("pages/日本語 名.html")));
    LocalTarget targets(site.filePath(QStringLiteral("pages")));
    using Outcome = LocalTarget::Outcome;
    struct Case
    {
        const char *address;
        Outcome outcome;
        const char *actualName;
    };
    const Case cases[] = {
        {"index.html", Outcome::Found, ""},
        {"./index.html#top", Outcome::Found, ""},
        {"index.html?x=1&amp;y=2", Outcome::Found, ""},
        {"%E6%97%A5%E6%9C%AC%E8%AA%9E%20%E5%90%8D.html", Outcome::Found, ""},
        {"photo.jpg", Outcome::CaseDiffers, "Photo.JPG"},
        {"../images/logo.png", Outcome::CaseDiffers, "Images"},
        {"../Images/logo.png", Outcome::Found, ""},
        {"../Images/none.png", Outcome::Missing, ""},
        {"missing.html", Outcome::Missing, ""},
        {"file:///home/user/site/a.html", Outcome::LocalPath, ""},
        {"C:\\Users\\me\\a.jpg", Outcome::LocalPath, ""},
        {"c:/site/a.jpg", Outcome::LocalPath, ""},
        {"\\\\server\\share\\a.jpg", Outcome::LocalPath, ""},
        {"/home/user/a.jpg", Outcome::LocalPath, ""},
        {"/images/a.jpg", Outcome::NotChecked, ""},
        {"https://example.com/a.jpg", Outcome::NotChecked, ""},
        {"//example.com/a.jpg", Outcome::NotChecked, ""},
        {"mailto:a@example.com", Outcome::NotChecked, ""},
        {"#top", Outcome::NotChecked, ""},
        {"", Outcome::NotChecked, ""},
    };
    for (const Case &c : cases) {
        const LocalTarget::Verdict verdict = targets.judge(QString::fromUtf8(c.address));
        EXPECT_EQ(verdict.outcome, c.outcome) << c.address;
        EXPECT_EQ(verdict.actualName, QString::fromUtf8(c.actualName)) << c.address;
    }
}

TEST(LocalTargetTest, ChecksNoRelativeTargetWithoutAFolder)
{
    LocalTarget targets{QString()};
    EXPECT_EQ(targets.judge(QStringLiteral("missing.html")).outcome, LocalTarget::Outcome::NotChecked);
    EXPECT_EQ(targets.judge(QStringLiteral("file:///tmp/a.html")).outcome, LocalTarget::Outcome::LocalPath);
}

} // namespace
