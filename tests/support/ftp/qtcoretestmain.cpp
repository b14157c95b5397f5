// Entry point of logic tests that need Qt's event loop (queued signals, QSignalSpy::wait)
// but no windows: a QCoreApplication, then GoogleTest.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
