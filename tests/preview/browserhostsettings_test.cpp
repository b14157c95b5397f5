#include "preview/browserhostsettings.h"

#include <gtest/gtest.h>

using enum DownLoadControl;

TEST(BrowserHostSettings, MainWindowValuesLeaveContextMenuAndAcceleratorsToTheEngine)
{
    const BrowserHostSettings settings;
    const ContextMenuAnswer menu = settings.answerContextMenu(false);
    EXPECT_EQ(menu.answer, HostAnswer::LeftToEngine);
    EXPECT_FALSE(menu.showHostPopupMenu);
    EXPECT_EQ(settings.hostInfoFlags(), 0x4000u);
    EXPECT_EQ(settings.hostInfoDoubleClick(), 0);
    EXPECT_EQ(settings.downloadControlValue(), 0x70u);
    EXPECT_EQ(settings.answerAccelerator(), HostAnswer::LeftToEngine);
}

TEST(BrowserHostSettings, NoContextSuppressesTheEngineMenuAndShowsOnlyAnAutoPopupMenu)
{
    BrowserHostSettings settings;
    settings.ieNoContext = true;
    const ContextMenuAnswer withoutPopup = settings.answerContextMenu(false);
    EXPECT_EQ(withoutPopup.answer, HostAnswer::Handled);
    EXPECT_FALSE(withoutPopup.showHostPopupMenu);
    const ContextMenuAnswer withPopup = settings.answerContextMenu(true);
    EXPECT_EQ(withPopup.answer, HostAnswer::Handled);
    EXPECT_TRUE(withPopup.showHostPopupMenu);
}

TEST(BrowserHostSettings, DisabledAcceleratorsAreAllClaimedByTheHost)
{
    BrowserHostSettings settings;
    settings.ieEnableAccelerator = false;
    EXPECT_EQ(settings.answerAccelerator(), HostAnswer::Handled);
    EXPECT_FALSE(settings.engineOptions().acceleratorsToPage);
}

TEST(BrowserHostSettings, EachPropertyAddsItsHostFlagAndTheyCombine)
{
    struct Row
    {
        bool BrowserHostSettings::*property;
        quint32 flag;
    };
    const Row rows[] = {
        {&BrowserHostSettings::ieNO3DBORDER, 0x4},
        {&BrowserHostSettings::ieSCROLL_hidden, 0x8},
        {&BrowserHostSettings::ieDontSCRIPT, 0x10},
        {&BrowserHostSettings::ieNoBehavior, 0x400},
    };
    BrowserHostSettings all;
    all.ieAutoComplete = false;
    EXPECT_EQ(all.hostInfoFlags(), 0u);
    for (const Row &row : rows) {
        BrowserHostSettings one;
        one.ieAutoComplete = false;
        one.*row.property = true;
        EXPECT_EQ(one.hostInfoFlags(), row.flag);
        all.*row.property = true;
    }
    all.ieAutoComplete = true;
    EXPECT_EQ(all.hostInfoFlags(), 0x4u | 0x8u | 0x10u | 0x400u | 0x4000u);
    // Flags that have nothing to do with the host information do not appear in it.
    all.ieNoContext = true;
    all.ieEnableAccelerator = false;
    EXPECT_EQ(all.hostInfoFlags(), 0x441Cu);
}

TEST(DownLoadControlSet, ValuesOfTheDefaultSetAndItsEdgeCases)
{
    DownLoadControlSet set = BrowserHostSettings().downLoadControl;
    EXPECT_EQ(set.value(), 0x70u);
    set.insert(CS_NoScripts);
    EXPECT_EQ(set.value(), 0xF0u);
    EXPECT_EQ(DownLoadControlSet{CS_NoFrame}.value(), 0x1000u);
    EXPECT_EQ(DownLoadControlSet{}.value(), 0u);
}

TEST(DownLoadControlSet, EveryElementInDeclaredOrderGivesItsOwnBit)
{
    const quint32 expected[DownLoadControlSet::kElementCount] = {
        0x10,
        0x20,
        0x40,
        0x80,
        0x100,
        0x200,
        0x400,
        0x800,
        0x2000,
        0x4000,
        0x1000,
        0x10000000,
        0x20000000,
        0x40000000,
        0x80000000,
    };
    quint32 all = 0;
    DownLoadControlSet full;
    for (int i = 0; i < DownLoadControlSet::kElementCount; ++i) {
        const auto element = static_cast<DownLoadControl>(i);
        EXPECT_EQ(DownLoadControlSet{element}.value(), expected[i]) << "element " << i;
        // The set itself stores one bit per element in declared order, in 16 bits.
        EXPECT_EQ(DownLoadControlSet{element}.storedBits(), quint16(1u << i));
        full.insert(element);
        all |= expected[i];
    }
    EXPECT_EQ(full.value(), all);
    EXPECT_EQ(full.value(), 0xF0007FF0u);
}

TEST(DownLoadControlSet, ValueFollowsTheSetAfterChanges)
{
    BrowserHostSettings settings;
    EXPECT_EQ(settings.downloadControlValue(), 0x70u);
    settings.downLoadControl.remove(CS_Images);
    settings.downLoadControl.insert(CS_OffLine);
    EXPECT_EQ(settings.downloadControlValue(), 0x80000060u);
    settings.downLoadControl.remove(CS_Images); // removing an absent element changes nothing
    EXPECT_EQ(settings.downloadControlValue(), 0x80000060u);
}

TEST(BrowserHostSettings, EngineOptionsFollowTheSettings)
{
    const EngineOptions defaults = BrowserHostSettings().engineOptions();
    EXPECT_TRUE(defaults.engineContextMenu);
    EXPECT_TRUE(defaults.sunkenFrame);
    EXPECT_TRUE(defaults.scrollBars);
    EXPECT_TRUE(defaults.javascript);
    EXPECT_TRUE(defaults.autoLoadImages);
    EXPECT_TRUE(defaults.mediaAutoplay);
    EXPECT_TRUE(defaults.plugins);
    EXPECT_TRUE(defaults.httpCache);
    EXPECT_TRUE(defaults.frameDownloads);
    EXPECT_FALSE(defaults.forceOffline);
    EXPECT_TRUE(defaults.acceleratorsToPage);

    struct Row
    {
        const char *name;
        std::function<void(BrowserHostSettings &)> change;
        bool EngineOptions::*option;
        bool expected;
    };
    const Row rows[] = {
        {"IeNoContext", [](auto &s) { s.ieNoContext = true; }, &EngineOptions::engineContextMenu, false},
        {"IeNO3DBORDER", [](auto &s) { s.ieNO3DBORDER = true; }, &EngineOptions::sunkenFrame, false},
        {"IeSCROLL_hidden", [](auto &s) { s.ieSCROLL_hidden = true; }, &EngineOptions::scrollBars, false},
        {"IeDontSCRIPT", [](auto &s) { s.ieDontSCRIPT = true; }, &EngineOptions::javascript, false},
        {"CS_NoScripts", [](auto &s) { s.downLoadControl.insert(CS_NoScripts); }, &EngineOptions::javascript, false},
        {"no CS_Images", [](auto &s) { s.downLoadControl.remove(CS_Images); }, &EngineOptions::autoLoadImages, false},
        {"no media",
         [](auto &s) {
             s.downLoadControl.remove(CS_Videos);
             s.downLoadControl.remove(CS_BGSounds);
         },
         &EngineOptions::mediaAutoplay,
         false},
        {"sounds only", [](auto &s) { s.downLoadControl.remove(CS_Videos); }, &EngineOptions::mediaAutoplay, true},
        {"CS_NoActiveXRun", [](auto &s) { s.downLoadControl.insert(CS_NoActiveXRun); }, &EngineOptions::plugins, false},
        {"CS_NoCash", [](auto &s) { s.downLoadControl.insert(CS_NoCash); }, &EngineOptions::httpCache, false},
        {"CS_ReSynchronize",
         [](auto &s) { s.downLoadControl.insert(CS_ReSynchronize); },
         &EngineOptions::httpCache,
         false},
        {"CS_NoFrame", [](auto &s) { s.downLoadControl.insert(CS_NoFrame); }, &EngineOptions::frameDownloads, false},
        {"CS_ForceOffLine",
         [](auto &s) { s.downLoadControl.insert(CS_ForceOffLine); },
         &EngineOptions::forceOffline,
         true},
    };
    for (const Row &row : rows) {
        BrowserHostSettings settings;
        row.change(settings);
        EXPECT_EQ(settings.engineOptions().*row.option, row.expected) << row.name;
    }
}
