// Entry point of every window test: windows need a QApplication, and tests never need a
// real screen, so the offscreen platform is the default unless the caller chose one. The
// browser engine runs without a GPU here, and Chromium's sandbox refuses to start as root.
#include <QApplication>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

void setDefault(const char *name, const QByteArray &value)
{
    if (qEnvironmentVariableIsEmpty(name))
        qputenv(name, value);
}

} // namespace

int main(int argc, char **argv)
{
    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (geteuid() == 0)
        setDefault("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // before any browser engine starts
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
