// サイト内置換 without windows, on a generated site: what is planned for each kind of page, the
// bytes of every page after the replace against a reference built here, and 元に戻す putting
// every byte back.
#include "app/sitereplaceapply.h"
#include "app/sitereplaceplan.h"
#include "workspace/replaceundostore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A page as it is written, and as it must be once 2025 became 2026 in it; empty: untouched.
struct SitePage
{
    const char *name;
    QByteArray bytes;
    QByteArray replaced;
    QString refusalMentions = {}; // planned but refused
};

const QByteArray kSjisYear("<p>\x93\xfa\x96\x7b 2025</p>\n<p>\xee\xef 2025</p>\n");

const SitePage kSite[] = {
    {"sjis.html", kSjisYear, QByteArray(kSjisYear).replace("2025", "2026")},
    {"bom.html",
     QByteArray("\xEF\xBB\xBF") + QStringLiteral("<p>猫 2025</p>\r\n").toUtf8(),
     QByteArray("\xEF\xBB\xBF") + QStringLiteral("<p>猫 2026</p>\r\n").toUtf8()},
    {"sub/utf8.htm",
     QStringLiteral("<meta charset=\"utf-8\">\n<p>犬 2025 2025</p>\r\n").toUtf8(),
     QStringLiteral("<meta charset=\"utf-8\">\n<p>犬 2026 2026</p>\r\n").toUtf8()},
    {"style.css", "p { content: \"2025\" }\r", "p { content: \"2026\" }\r"},
    {"none.html", "<p>no year</p>", {}},
    {"x.html", QByteArray("\x89PNG\r\n\x1a\n\0\0\0 2025", 16), {}},
    {"readonly.html", "<p>2025</p>", {}, QStringLiteral("読み取り専用")},
};

class SiteReplaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = QDir(dir.path()).filePath(QStringLiteral("site"));
        ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/sub")));
        for (const SitePage &page : kSite)
            writeFile(local(page.name), page.bytes);
        QFile::setPermissions(local("readonly.html"), QFileDevice::ReadOwner | QFileDevice::ReadOther);
        // A link out of the site: a page of another folder that happens to hold the year.
        const QString outside = QDir(dir.path()).filePath(QStringLiteral("private.html"));
        writeFile(outside, "<p>2025</p>");
        ASSERT_TRUE(QFile::link(outside, local("link.html")));
        site = Site(root);
    }
    QString local(const char *name) const { return QDir(root).filePath(QString::fromLatin1(name)); }

    // Every page the site lists, planned as the replace plans it.
    QList<SiteReplacePlan::Page> plan(const QString &find, const QString &with) const
    {
        const ReplaceRules::Pattern pattern(find, {});
        QList<SiteReplacePlan::Page> pages;
        for (const Site::Entry &entry : site.textFiles()) {
            SiteReplacePlan::Page page;
            if (SiteReplacePlan::planFile(site, entry.path, pattern, with, &page) && !page.changes.isEmpty())
                pages.append(page);
        }
        return pages;
    }
    static QList<SiteReplaceApply::FilePage> everyChange(const QList<SiteReplacePlan::Page> &pages)
    {
        QList<SiteReplaceApply::FilePage> files;
        for (const SiteReplacePlan::Page &page : pages) {
            QList<ReplaceRules::Edit> edits;
            for (const SiteReplacePlan::Change &change : page.changes)
                edits.append(change.edit);
            files.append({page.localPath, page.shownPath, page.bytes, edits, {}});
        }
        return files;
    }

    QTemporaryDir dir;
    QString root;
    Site site;
};

TEST_F(SiteReplaceTest, ReplacesByteForByteAndUndoPutsEveryByteBack)
{
    const QList<SiteReplacePlan::Page> pages = plan(QStringLiteral("2025"), QStringLiteral("2026"));
    QStringList planned;
    for (const SiteReplacePlan::Page &page : pages)
        planned.append(page.shownPath + QLatin1Char('=') + page.refusal);
    // Neither the binary page nor the link is a page to plan; the read-only one is refused.
    EXPECT_EQ(planned,
              (QStringList{QStringLiteral("bom.html="),
                           QStringLiteral("readonly.html=読み取り専用のファイルです"),
                           QStringLiteral("sjis.html="),
                           QStringLiteral("style.css="),
                           QStringLiteral("sub/utf8.htm=")}));
    const SiteReplacePlan::Page &sjis = pages.at(2);
    ASSERT_EQ(sjis.changes.size(), 2);
    EXPECT_EQ(sjis.changes.at(1).line, 2);
    EXPECT_EQ(sjis.changes.at(1).before, QStringLiteral("<p>\u2170 2025</p>"));
    EXPECT_EQ(sjis.changes.at(1).after, QStringLiteral("<p>\u2170 2026</p>"));

    ReplaceUndoStore store(QDir(dir.path()).filePath(QStringLiteral("data")));
    const SiteReplaceApply::Outcome outcome = SiteReplaceApply::rewriteFiles(
        site,
        everyChange(pages),
        store,
        [](const auto &files) { return BatchWrite::write(files); },
        QDateTime::currentDateTimeUtc());
    EXPECT_EQ(outcome.pages, 4);
    EXPECT_EQ(outcome.matches, 6);
    EXPECT_EQ(outcome.skipped, QStringList{QStringLiteral("readonly.html: 読み取り専用のファイルです")});
    EXPECT_TRUE(outcome.failed.isEmpty());
    for (const SitePage &page : kSite)
        EXPECT_EQ(readFile(local(page.name)), page.replaced.isEmpty() ? page.bytes : page.replaced) << page.name;
    EXPECT_EQ(readFile(QDir(dir.path()).filePath(QStringLiteral("private.html"))), "<p>2025</p>");

    const ReplaceUndoStore::Outcome undone = store.restore([](const auto &files) { return BatchWrite::write(files); });
    EXPECT_EQ(undone.restored.size(), 4);
    for (const SitePage &page : kSite)
        EXPECT_EQ(readFile(local(page.name)), page.bytes) << page.name;
}

TEST_F(SiteReplaceTest, SkipsWhatCannotBeWrittenAndTouchesNothingOnAFailedWrite)
{
    // A character Shift_JIS cannot hold skips the Shift_JIS pages, named with the character.
    QList<SiteReplacePlan::Page> pages = plan(QStringLiteral("2025"), QStringLiteral("😀"));
    QStringList refused;
    for (const SiteReplacePlan::Page &page : pages) {
        if (!page.refusal.isEmpty())
            refused.append(page.shownPath + QLatin1Char('=') + page.refusal);
    }
    EXPECT_EQ(refused,
              (QStringList{QStringLiteral("readonly.html=読み取り専用のファイルです"),
                           QStringLiteral("sjis.html=「😀」(U+1F600) は Shift_JIS で書けません"),
                           QStringLiteral("style.css=「😀」(U+1F600) は Shift_JIS で書けません")}));

    // A page changed after the preview is left alone; the disk filling up leaves every file old.
    pages = plan(QStringLiteral("2025"), QStringLiteral("2026"));
    writeFile(local("style.css"), "p { content: \"2025, edited\" }");
    ReplaceUndoStore store(QDir(dir.path()).filePath(QStringLiteral("data")));
    const SiteReplaceApply::Outcome outcome = SiteReplaceApply::rewriteFiles(
        site,
        everyChange(pages),
        store,
        [](const QList<BatchWrite::File> &files) {
            return BatchWrite::write(files, [](int, QByteArrayView) {
                errno = ENOSPC;
                return false;
            });
        },
        QDateTime::currentDateTimeUtc());
    EXPECT_EQ(outcome.pages, 0);
    EXPECT_EQ(outcome.failed.size(), 3);
    EXPECT_TRUE(outcome.skipped.contains(QStringLiteral("style.css: 確認の後で変更されています")));
    for (const SitePage &page : kSite) {
        if (QByteArray(page.name) != "style.css") {
            EXPECT_EQ(readFile(local(page.name)), page.bytes) << page.name;
        }
    }
    EXPECT_TRUE(
        SiteReplaceApply::summary(outcome, {}).contains(QStringLiteral("書き込めなかったファイル（元のままです）")));
}

} // namespace
