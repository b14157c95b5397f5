#include "support/mainwindowfixture.h"

#include "app/mainmenu.h"
#include "authoring/editorpane.h"
#include "common/usererror.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

void leaves(const QList<MenuEntry> &entries, QList<MenuEntry> &out)
{
    for (const MenuEntry &e : entries) {
        if (e.isSubmenu())
            leaves(e.items, out);
        else if (!e.isSeparator())
            out.append(e);
    }
}

class MainWindowMenu : public MainWindowFixture
{
protected:
    // Replaces every handler by a recorder, so triggering an item shows what it dispatches.
    void recordDispatches(const QList<MenuEntry> &entries)
    {
        QList<MenuEntry> items;
        leaves(entries, items);
        for (const MenuEntry &e : items) {
            const QString handler = e.handler;
            window->commands().add(handler, [calls = m_calls, handler](int tag) { calls->append({handler, tag}); });
        }
    }
    std::shared_ptr<QList<std::pair<QString, int>>> m_calls = std::make_shared<QList<std::pair<QString, int>>>();
};

TEST_F(MainWindowMenu, EveryItemIsBuiltWithItsCaptionShortcutAndTagAndDispatchesToItsHandler)
{
    QList<MenuEntry> items;
    leaves(MainMenu::menuBar(), items);
    leaves(MainMenu::editorPopup(), items);
    recordDispatches(MainMenu::menuBar());
    recordDispatches(MainMenu::editorPopup());
    ASSERT_GT(items.size(), 80);
    for (const MenuEntry &e : items) {
        SCOPED_TRACE(e.name.toStdString());
        QAction *a = action(e.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->objectName(), e.name);
        EXPECT_EQ(a->data().toInt(), e.tag);
        EXPECT_EQ(a->shortcut(), QKeySequence(e.shortcut, QKeySequence::PortableText));
        m_calls->clear();
        a->trigger();
        ASSERT_EQ(m_calls->size(), 1);
        EXPECT_EQ(m_calls->first(), std::make_pair(e.handler, e.tag));
    }
}

TEST_F(MainWindowMenu, CaptionsAreShownExactlyWithoutAddedAccessKeys)
{
    QList<MenuEntry> items;
    leaves(MainMenu::menuBar(), items);
    for (const MenuEntry &e : items)
        EXPECT_EQ(action(e.name)->text(), e.caption) << e.name.toStdString();
    QStringList topCaptions;
    for (QAction *a : window->menuBar()->actions())
        topCaptions.append(a->text());
    QStringList expected;
    for (const MenuEntry &e : MainMenu::menuBar())
        expected.append(e.caption);
    EXPECT_EQ(topCaptions, expected);
}

TEST_F(MainWindowMenu, RecentSlotsAreTheFileMenusEntriesSevenToThirteen)
{
    auto *file = window->findChild<QMenu *>(QStringLiteral("File1"));
    ASSERT_NE(file, nullptr);
    const QList<QAction *> entries = file->actions();
    ASSERT_GE(entries.size(), 14);
    for (int i = 0; i < MainMenu::kRecentSlotCount; ++i) {
        QAction *slot = entries.at(MainMenu::kFirstRecentSlot + i);
        EXPECT_EQ(slot->objectName(), MainMenu::recentSlotName(i));
        EXPECT_TRUE(slot->isVisible());
    }
}

TEST_F(MainWindowMenu, ColourIsATopLevelCommandWithoutSubmenu)
{
    QAction *colour = action(QStringLiteral("mnuColorSet"));
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->menu(), nullptr);
    EXPECT_TRUE(window->menuBar()->actions().contains(colour));
}

TEST_F(MainWindowMenu, ShortcutsReachTheirHandlersWhileTheEditorHasTheFocus)
{
    recordDispatches(MainMenu::menuBar());
    window->activateWindow();
    window->view().editor->setFocus();
    QTest::keySequence(static_cast<QWidget *>(window->view().editor), QKeySequence(QStringLiteral("Ctrl+O")));
    QTest::keySequence(static_cast<QWidget *>(window->view().editor), QKeySequence(QStringLiteral("Ctrl+S")));
    QTest::keySequence(static_cast<QWidget *>(window->view().editor), QKeySequence(QStringLiteral("F3")));
    // 反映 is skipped by Tab, so it has a key of its own.
    window->commands().add(QStringLiteral("Button1Click"), [calls = m_calls](int tag) {
        calls->append({QStringLiteral("Button1Click"), tag});
    });
    QTest::keySequence(static_cast<QWidget *>(window->view().editor), QKeySequence(QStringLiteral("F5")));
    EXPECT_EQ(*m_calls, (QList<std::pair<QString, int>>{{QStringLiteral("OpenClick"), 0},
                                                        {QStringLiteral("Save1Click"), 0},
                                                        {QStringLiteral("FindDialog1Find"), 0},
                                                        {QStringLiteral("Button1Click"), 0}}));
}

TEST_F(MainWindowMenu, AFailingCommandEndsInTheGenericErrorBox)
{
    window->commands().add(QStringLiteral("Print1Click"), [](int) {
        throw UserError(QStringLiteral("ファイル /x は開けません"));
    });
    trigger(QStringLiteral("Print1"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, QStringLiteral("ファイル /x は開けません."));
    EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowMenu, TheEditorsContextMenuHoldsTheClipboardCommands)
{
    QMenu *popup = window->editorPopupMenu();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->objectName(), QStringLiteral("PopupMenu1"));
    QStringList names;
    for (QAction *a : popup->actions())
        names.append(a->objectName());
    EXPECT_EQ(names, (QStringList{"Copy2", "Cut2", "Paste2"}));
}

} // namespace
