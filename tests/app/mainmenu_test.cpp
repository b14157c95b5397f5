#include "app/mainmenu.h"

#include "authoring/alignfragments.h"
#include "authoring/insertfragments.h"
#include "authoring/paragraphfragments.h"
#include "authoring/tablefragments.h"
#include "authoring/templatefragments.h"
#include "authoring/textformatfragments.h"

#include <QSet>

#include <gtest/gtest.h>

#include <vector>

namespace {

void collect(const QList<MenuEntry> &entries, QList<MenuEntry> &out)
{
    for (const MenuEntry &e : entries) {
        out.append(e);
        collect(e.items, out);
    }
}

QList<MenuEntry> allEntries()
{
    QList<MenuEntry> out;
    collect(MainMenu::menuBar(), out);
    collect(MainMenu::editorPopup(), out);
    return out;
}

TEST(MainMenu, RecentFileSlotsStandAtFileMenuPositionsSevenToThirteen)
{
    const MenuEntry file = MainMenu::menuBar().first();
    ASSERT_EQ(file.caption, QStringLiteral("ファイル"));
    const QStringList expected = {QStringLiteral("mnuFavorit"),
                                  QStringLiteral("mnuFavorit1"),
                                  QStringLiteral("mnuFavorit2"),
                                  QStringLiteral("mnuFavorit3"),
                                  QStringLiteral("mnuFavorit4"),
                                  QStringLiteral("mnuFavorit5"),
                                  QStringLiteral("mnuFavorit6")};
    for (int i = 0; i < MainMenu::kRecentSlotCount; ++i) {
        const MenuEntry &slot = file.items.at(MainMenu::kFirstRecentSlot + i);
        EXPECT_EQ(slot.name, expected.at(i));
        EXPECT_EQ(MainMenu::recentSlotName(i), expected.at(i));
        EXPECT_TRUE(slot.caption.isEmpty());
        EXPECT_EQ(slot.handler, QStringLiteral("mnuFavoritClick"));
    }
    EXPECT_TRUE(file.items.at(MainMenu::kFirstRecentSlot - 1).isSeparator());
    EXPECT_EQ(file.items.at(MainMenu::kFirstRecentSlot + MainMenu::kRecentSlotCount).name, QStringLiteral("N25"));
}

TEST(MainMenu, TopLevelMenusInOrder)
{
    QStringList captions;
    for (const MenuEntry &e : MainMenu::menuBar())
        captions.append(e.caption);
    EXPECT_EQ(captions,
              (QStringList{"ファイル",
                           "編集",
                           "文字",
                           "書式",
                           "挿入",
                           "段落",
                           "表",
                           "色",
                           "ｽﾀｲﾙｼｰﾄ",
                           "スクリプト",
                           "フォーム",
                           "環境設定",
                           "ヘルプ"}));
}

TEST(MainMenu, EveryObjectNameIsUniqueAcrossMenuBarAndPopup)
{
    QSet<QString> seen;
    for (const MenuEntry &e : allEntries()) {
        EXPECT_FALSE(e.name.isEmpty());
        EXPECT_FALSE(seen.contains(e.name)) << e.name.toStdString();
        seen.insert(e.name);
    }
}

TEST(MainMenu, EveryCommandHasAHandlerAndSeparatorsAndSubmenusHaveNone)
{
    for (const MenuEntry &e : allEntries()) {
        const bool command = !e.isSeparator() && !e.isSubmenu();
        EXPECT_EQ(command, !e.handler.isEmpty()) << e.name.toStdString();
    }
}

// Within a family the tags tell the items apart: no two items of one handler share a tag,
// and the tags count up from 0 without a gap.
TEST(MainMenu, FamilyTagsAreDistinctAndDense)
{
    QHash<QString, QList<int>> tagsByHandler;
    QSet<QString> shared = {QStringLiteral("EditCopy"), QStringLiteral("EditCut"), QStringLiteral("EditPaste")};
    for (const MenuEntry &e : allEntries()) {
        if (!e.handler.isEmpty() && !shared.contains(e.handler))
            tagsByHandler[e.handler].append(e.tag);
    }
    for (auto it = tagsByHandler.cbegin(); it != tagsByHandler.cend(); ++it) {
        QList<int> tags = it.value();
        std::sort(tags.begin(), tags.end());
        for (int i = 0; i < tags.size(); ++i)
            EXPECT_EQ(tags.at(i), i) << it.key().toStdString();
    }
    EXPECT_EQ(tagsByHandler.value(QStringLiteral("Font1Click")).size(), 7);
    EXPECT_EQ(tagsByHandler.value(QStringLiteral("mnuSetAlignClick")).size(), 6);
    EXPECT_EQ(tagsByHandler.value(QStringLiteral("mnuKaigyoClick")).size(), 8);
    EXPECT_EQ(tagsByHandler.value(QStringLiteral("mnuFormClick")).size(), 7);
    EXPECT_EQ(tagsByHandler.value(QStringLiteral("mnuFavoritClick")).size(), MainMenu::kRecentSlotCount);
}

// A family is two tables joined by tag: the menu's items and the rows that build their text. A
// menu item without a row would do nothing when clicked; a row without an item is text no one can
// reach. Menu tags are checked through the lookup the commands use, rows through the row table.
struct FamilyLink
{
    const char *handler;
    bool (*hasRow)(int tag);
    std::vector<int> rowTags;
};

TEST(MainMenu, EveryFamilyTagHasItsRowAndEveryRowItsMenuItem)
{
    const FamilyLink families[] = {
        {"Font1Click",
         [](int tag) { return TextFormatFragments::row(tag) != nullptr; },
         TextFormatFragments::kTable.tags()},
        {"mnuSetAlignClick",
         [](int tag) { return AlignFragments::row(tag) != nullptr; },
         AlignFragments::kTable.tags()},
        {"mnuKaigyoClick",
         [](int tag) { return ParagraphFragments::row(tag) != nullptr; },
         ParagraphFragments::kTable.tags()},
        {"mnuGrp1Click",
         [](int tag) { return InsertFragments::imageRow(tag) != nullptr; },
         InsertFragments::kImageTable.tags()},
        {"URL1Click",
         [](int tag) { return InsertFragments::linkRow(tag) != nullptr; },
         InsertFragments::kLinkTable.tags()},
        {"mnuTableClick", [](int tag) { return TableFragments::row(tag) != nullptr; }, TableFragments::kTable.tags()},
        {"mnuStyleClick",
         [](int tag) { return TemplateFragments::styleRow(tag) != nullptr; },
         TemplateFragments::kStyleTable.tags()},
        {"JAVA1Click",
         [](int tag) { return TemplateFragments::scriptRow(tag) != nullptr; },
         TemplateFragments::kScriptTable.tags()},
        {"mnuFormClick",
         [](int tag) { return TemplateFragments::formRow(tag) != nullptr; },
         TemplateFragments::kFormTable.tags()},
    };
    const QList<MenuEntry> entries = allEntries();
    for (const FamilyLink &family : families) {
        SCOPED_TRACE(family.handler);
        QList<int> menuTags;
        for (const MenuEntry &e : entries) {
            if (e.handler != QLatin1String(family.handler))
                continue;
            menuTags.append(e.tag);
            EXPECT_TRUE(family.hasRow(e.tag)) << e.name.toStdString() << " (tag " << e.tag << ") has no row";
        }
        EXPECT_FALSE(menuTags.isEmpty()) << "no menu item runs this family";
        for (int tag : family.rowTags)
            EXPECT_EQ(menuTags.count(tag), 1) << "row " << tag << " is not run by exactly one menu item";
    }
}

} // namespace
