// The site check's marks in 更新分を公開's plan: which links a publish as ticked would break, and
// which deletions pages still link to, as the ticks change.
#include "transfer/publishsitemarks.h"

#include <QMap>

#include <gtest/gtest.h>

namespace {

using PublishPlan::Item;
using PublishPlan::State;

Item item(State state, const char *path, bool folder = false)
{
    Item made;
    made.state = state;
    made.remote = path;
    if (state != State::ServerOnly)
        made.local = path;
    made.folder = folder;
    if (state != State::New)
        made.listed = PublishPlan::RemoteFile{};
    made.checked = PublishPlan::checkedByDefault(state);
    return made;
}

// b.png is new and left unticked.
PublishPlan::Plan plan()
{
    PublishPlan::Plan made{{item(State::New, "index.html"),
                            item(State::New, "a.png"),
                            item(State::New, "b.png"),
                            item(State::Unchanged, "c.png"),
                            item(State::ChangedOnServer, "d.png"),
                            item(State::Changed, "other.html"),
                            item(State::ServerOnly, "gone.png"),
                            item(State::ServerOnly, "old/x.png"),
                            item(State::ServerOnly, "old", true)},
                           {},
                           {},
                           {},
                           {}};
    made.items[2].checked = false;
    return made;
}

SiteLinks links()
{
    SiteLinks links;
    links.files.insert(QStringLiteral("index.html"),
                       {{QStringLiteral("a.png"),
                         QStringLiteral("b.png"),
                         QStringLiteral("c.png"),
                         QStringLiteral("d.png"),
                         QStringLiteral("gone.png"),
                         QStringLiteral("old/x.png"),
                         QStringLiteral("nowhere.png")},
                        {QStringLiteral("リンク先 a.html に、id=\"x\" の場所がありません。")}});
    links.files.insert(QStringLiteral("other.html"), {{QStringLiteral("gone.png")}, {}});
    // Not going up, yet still on the server and linking: counted among the linking pages.
    links.files.insert(QStringLiteral("kept.html"), {{QStringLiteral("old")}, {}});
    return links;
}

struct Case
{
    const char *name;
    QMap<QByteArray, bool> ticks; // changed from the plan's own
    QMap<QString, QString> marks; // by path
    QStringList broken;           // the targets index.html's tip names
};

TEST(PublishSiteMarksTest, MarksWhatThePublishAsTickedPutsOnline)
{
    const QList<Case> cases = {
        {"as planned",
         {},
         {{QStringLiteral("index.html"), QStringLiteral("エラー 3 件")},
          {QStringLiteral("gone.png"), QStringLiteral("2 ページからリンクされています")},
          {QStringLiteral("old/x.png"), QStringLiteral("1 ページからリンクされています")},
          {QStringLiteral("old"), QStringLiteral("2 ページからリンクされています")}},
         {QStringLiteral("b.png"), QStringLiteral("nowhere.png")}},
        {"a picture sent, another deleted",
         {{"b.png", true}, {"gone.png", true}},
         {{QStringLiteral("index.html"), QStringLiteral("エラー 3 件")},
          {QStringLiteral("other.html"), QStringLiteral("エラー 1 件")},
          {QStringLiteral("gone.png"), QStringLiteral("2 ページからリンクされています")},
          {QStringLiteral("old/x.png"), QStringLiteral("1 ページからリンクされています")},
          {QStringLiteral("old"), QStringLiteral("2 ページからリンクされています")}},
         {QStringLiteral("gone.png"), QStringLiteral("nowhere.png")}},
        {"a page unticked keeps its marks; a folder deleted",
         {{"index.html", false}, {"a.png", false}, {"old/x.png", true}, {"old", true}},
         {{QStringLiteral("index.html"), QStringLiteral("エラー 5 件")},
          {QStringLiteral("gone.png"), QStringLiteral("2 ページからリンクされています")},
          {QStringLiteral("old/x.png"), QStringLiteral("1 ページからリンクされています")},
          {QStringLiteral("old"), QStringLiteral("2 ページからリンクされています")}},
         {QStringLiteral("a.png"),
          QStringLiteral("b.png"),
          QStringLiteral("old/x.png"),
          QStringLiteral("nowhere.png")}},
    };
    for (const Case &c : cases) {
        PublishPlan::Plan ticked = plan();
        for (Item &each : ticked.items)
            each.checked = c.ticks.value(each.remote, each.checked);
        QMap<QString, QString> shown;
        QString indexTip;
        const QHash<qsizetype, PublishSiteMarks::Mark> marks = PublishSiteMarks::of(ticked, links());
        for (auto it = marks.cbegin(); it != marks.cend(); ++it) {
            const QString path = ticked.items.at(it.key()).shownPath();
            shown.insert(path, it->text);
            if (path == QStringLiteral("index.html"))
                indexTip = it->details.join(u'\n');
        }
        EXPECT_EQ(shown, c.marks) << c.name;
        for (const QString &target : c.broken)
            EXPECT_TRUE(indexTip.contains(QStringLiteral("リンク先の %1 は").arg(target)))
                << c.name << ": " << target.toStdString() << " in " << indexTip.toStdString();
        EXPECT_EQ(indexTip.count(QStringLiteral("リンク先の ")), c.broken.size()) << c.name;
    }
}

} // namespace
