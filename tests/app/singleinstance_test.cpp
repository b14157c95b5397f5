// One program per data folder: a second start hands its files to the running one, which gets
// them in order; with nobody running, or another data folder's program running, it runs itself.
#include "app/singleinstance.h"

#include <QSignalSpy>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

QString freshKey()
{
    return QStringLiteral("/tmp/qzweb-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

TEST(SingleInstance, ALaterStartHandsItsFilesToTheRunningProgram)
{
    const QString key = freshKey();
    SingleInstance running(key);
    ASSERT_TRUE(running.listen());
    QSignalSpy arrived(&running, &SingleInstance::filesArrived);

    SingleInstance later(key);
    const QStringList files{QStringLiteral("/site/index.html"), QStringLiteral("/site/ページ 2.html")};
    EXPECT_TRUE(later.handOver(files));
    ASSERT_TRUE(arrived.wait(5000));
    EXPECT_EQ(arrived.first().first().toStringList(), files);

    // Without files too: the running window only comes to the front.
    EXPECT_TRUE(later.handOver({}));
    ASSERT_TRUE(arrived.wait(5000));
    EXPECT_TRUE(arrived.last().first().toStringList().isEmpty());
}

TEST(SingleInstance, WithNobodyRunningForItsDataFolderAStartRunsItself)
{
    SingleInstance other(freshKey());
    ASSERT_TRUE(other.listen());
    SingleInstance alone(freshKey());
    EXPECT_FALSE(alone.handOver({QStringLiteral("/site/index.html")})) << "another data folder's program";
    EXPECT_TRUE(alone.listen());
    EXPECT_NE(SingleInstance::serverName(QStringLiteral("/a")), SingleInstance::serverName(QStringLiteral("/b")));
}

} // namespace
