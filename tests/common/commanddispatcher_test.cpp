// One window's dispatch: unique names, the error box around a failing handler or event step,
// silence or a loud report for a name without a handler, and the probe the menu tests use.
#include "common/commanddispatcher.h"

#include "common/usererror.h"
#include "support/scripteduserdialogs.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class CommandDispatcherTest : public ::testing::Test
{
protected:
    ScriptedUserDialogs dialogs;
    QWidget window;
    CommandDispatcher dispatcher{dialogs, window};
};

TEST_F(CommandDispatcherTest, RunsTheHandlerWithItsTag)
{
    QList<int> tags;
    dispatcher.add(QStringLiteral("Font1Click"), [&](int tag) { tags.append(tag); });
    dispatcher.run(QStringLiteral("Font1Click"), 3);
    dispatcher.run(QStringLiteral("Font1Click"));
    EXPECT_EQ(tags, (QList<int>{3, 0}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(CommandDispatcherTest, ANameTakenTwiceIsRefusedAndTheFirstHandlerStays)
{
    int first = 0;
    dispatcher.add(QStringLiteral("Button1Click"), [&](int) { ++first; });
    EXPECT_THROW(dispatcher.add(QStringLiteral("Button1Click"), [](int) {}), std::logic_error);
    EXPECT_THROW(dispatcher.add(QStringLiteral("Empty"), {}), std::logic_error);
    dispatcher.run(QStringLiteral("Button1Click"));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(dispatcher.handlerNames(), QStringList{QStringLiteral("Button1Click")});
}

TEST_F(CommandDispatcherTest, EachWindowHasItsOwnNames)
{
    QWidget otherWindow;
    CommandDispatcher other(dialogs, otherWindow);
    QStringList ran;
    dispatcher.add(QStringLiteral("Button1Click"), [&](int) { ran.append(QStringLiteral("main")); });
    other.add(QStringLiteral("Button1Click"), [&](int) { ran.append(QStringLiteral("transfer")); });
    other.run(QStringLiteral("Button1Click"));
    dispatcher.run(QStringLiteral("Button1Click"));
    EXPECT_EQ(ran, (QStringList{QStringLiteral("transfer"), QStringLiteral("main")}));
}

TEST_F(CommandDispatcherTest, AFailureEndsInTheGenericErrorBox)
{
    struct Case
    {
        const char *name;
        std::function<void(int)> handler;
        QString shown;
    };
    const Case cases[] = {
        {"user error",
         [](int) { throw UserError(QStringLiteral("ファイル /x は開けません")); },
         QStringLiteral("ファイル /x は開けません.")},
        {"other exception", [](int) { throw std::runtime_error("disk full"); }, QStringLiteral("disk full.")},
        {"text ending in a full stop",
         [](int) { throw UserError(QStringLiteral("stopped.")); },
         QStringLiteral("stopped.")},
    };
    for (const Case &c : cases) {
        const QString name = QString::fromLatin1(c.name);
        dispatcher.add(name, c.handler);
        dialogs.messages.clear();
        dispatcher.run(name);
        ASSERT_EQ(dialogs.messages.size(), 1) << c.name;
        EXPECT_EQ(dialogs.messages.first().text, c.shown) << c.name;
        EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error) << c.name;
        EXPECT_EQ(dialogs.messages.first().title, UserDialogs::programTitle()) << c.name;
    }
}

TEST_F(CommandDispatcherTest, GuardedStepsReportWhetherTheyRan)
{
    bool ran = false;
    EXPECT_TRUE(dispatcher.guard([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(dispatcher.guard([] { throw UserError(QStringLiteral("読めません")); }));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, QStringLiteral("読めません."));
}

TEST_F(CommandDispatcherTest, ANameWithoutHandlerDoesNothingUnlessSomeoneListens)
{
    dispatcher.run(QStringLiteral("Print1Click"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    QStringList unknown;
    dispatcher.setUnknownHandler([&](const QString &name) { unknown.append(name); });
    dispatcher.add(QStringLiteral("Known"), [](int) {});
    dispatcher.run(QStringLiteral("Known"));
    dispatcher.run(QStringLiteral("Print1Click"));
    EXPECT_EQ(unknown, QStringList{QStringLiteral("Print1Click")});
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(CommandDispatcherTest, TheProbeSeesEveryDispatchInsteadOfTheHandler)
{
    int ran = 0;
    dispatcher.add(QStringLiteral("Known"), [&](int) { ++ran; });
    QList<std::pair<QString, int>> seen;
    dispatcher.setProbe([&](const QString &name, int tag) { seen.append({name, tag}); });
    dispatcher.run(QStringLiteral("Known"), 2);
    dispatcher.run(QStringLiteral("Unknown"), 5);
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(seen, (QList<std::pair<QString, int>>{{QStringLiteral("Known"), 2}, {QStringLiteral("Unknown"), 5}}));
}

} // namespace
