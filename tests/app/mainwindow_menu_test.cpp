#include "app/mainmenu.h"
#include "authoring/editorstack.h"
#include "support/mainwindowfixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
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

using Dispatch = std::pair<QString, int>;

class MainWindowMenu : public MainWindowFixture
{
protected:
    // Diverts every dispatch of the window to a recorder, so using a control shows the handler
    // name and tag it carries without running anything.
    void recordDispatches()
    {
        window->dispatcher().setProbe([this](const QString &handler, int tag) { m_calls.append({handler, tag}); });
    }
    QList<Dispatch> m_calls;
};

TEST_F(MainWindowMenu, EveryItemCarriesItsHandlerNameAndTagToTheDispatcher)
{
    QList<MenuEntry> items;
    leaves(MainMenu::menuBar(), items);
    leaves(MainMenu::editorPopup(), items);
    recordDispatches();
    ASSERT_GT(items.size(), 80);
    for (const MenuEntry &e : items) {
        SCOPED_TRACE(e.name.toStdString());
        QAction *a = action(e.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->objectName(), e.name);
        EXPECT_EQ(a->data().toInt(), e.tag);
        EXPECT_EQ(a->shortcut(), QKeySequence(e.shortcut, QKeySequence::PortableText));
        m_calls.clear();
        // Cut, copy and paste are disabled without a selection or clipboard text, and a
        // disabled item runs nothing; what it would run is the question here.
        a->setEnabled(true);
        a->trigger();
        ASSERT_EQ(m_calls.size(), 1);
        EXPECT_EQ(m_calls.first(), std::make_pair(e.handler, e.tag));
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
    recordDispatches();
    window->activateWindow();
    window->view().editor->setFocus();
    QTest::keySequence(static_cast<QWidget *>(&window->view().editor->view()), QKeySequence(QStringLiteral("Ctrl+O")));
    QTest::keySequence(static_cast<QWidget *>(&window->view().editor->view()), QKeySequence(QStringLiteral("Ctrl+S")));
    QTest::keySequence(static_cast<QWidget *>(&window->view().editor->view()), QKeySequence(QStringLiteral("F3")));
    // 反映 is skipped by Tab, so it has a key of its own.
    QTest::keySequence(static_cast<QWidget *>(&window->view().editor->view()), QKeySequence(QStringLiteral("F5")));
    EXPECT_EQ(m_calls,
              (QList<Dispatch>{{QStringLiteral("OpenClick"), 0},
                               {QStringLiteral("Save1Click"), 0},
                               {QStringLiteral("FindDialog1Find"), 0},
                               {QStringLiteral("Button1Click"), 0}}));
}

// The handler names whose commands are not built yet. The issue that builds one moves its name
// out of this list; the test below then holds it to having its handler.
const QStringList kNotBuiltYet = {};

TEST_F(MainWindowMenu, EveryControlWithABuiltCommandHasItsHandlerAndEveryHandlerItsControl)
{
    QList<MenuEntry> items;
    leaves(MainMenu::menuBar(), items);
    leaves(MainMenu::editorPopup(), items);
    QStringList reached;
    for (const MenuEntry &e : items)
        reached.append(e.handler);
    // The buttons tell their handler names by being clicked with the dispatch diverted; the
    // http / file choice has no command, 反映 reads it.
    recordDispatches();
    const auto buttons = control<QWidget>(QStringLiteral("Form1Client"))->findChildren<QAbstractButton *>();
    ASSERT_GE(buttons.size(), 12);
    QStringList silent;
    for (QAbstractButton *button : buttons) {
        // The tab bar's own scroll arrows move along the tabs; they are no command.
        if (qobject_cast<QTabBar *>(button->parentWidget()))
            continue;
        m_calls.clear();
        button->click();
        ASSERT_LE(m_calls.size(), 1) << button->objectName().toStdString();
        if (m_calls.isEmpty())
            silent.append(button->objectName());
        else
            reached.append(m_calls.first().first);
    }
    silent.sort();
    EXPECT_EQ(silent, (QStringList{QStringLiteral("RadioButton1"), QStringLiteral("RadioButton2")}));
    reached.removeDuplicates();

    const CommandDispatcher &dispatcher = window->dispatcher();
    for (const QString &handler : reached) {
        SCOPED_TRACE(handler.toStdString());
        if (kNotBuiltYet.contains(handler))
            EXPECT_FALSE(dispatcher.has(handler)) << "built now: take it out of the not-built list";
        else
            EXPECT_TRUE(dispatcher.has(handler)) << "no handler";
    }
    for (const QString &handler : kNotBuiltYet)
        EXPECT_TRUE(reached.contains(handler)) << handler.toStdString() << " is no control's handler";
    for (const QString &handler : dispatcher.handlerNames())
        EXPECT_TRUE(reached.contains(handler)) << handler.toStdString() << " is registered but no control reaches it";
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
