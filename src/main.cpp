// QZWeb: creates the windows in their fixed order, opens the file named on the command line,
// and runs the event loop until the main window closes.
#include "app/allocatorsettings.h"
#include "app/appwindows.h"
#include "app/commandlineinfo.h"
#include "app/mainwindow.h"
#include "app/scenegraphchoice.h"
#include "app/singleinstance.h"
#include "common/datafolder.h"
#include "common/frameaccessibility.h"
#include "common/qtuserdialogs.h"
#include "common/terminationsignals.h"
#include "transfer/secretservicestore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    // Answered before QApplication exists, which would need a display.
    if (const auto answer = CommandLineInfo::answerFor(CommandLineInfo::arguments(argc, argv),
                                                       CommandLineInfo::languageOfEnvironment(),
                                                       QStringLiteral(QZWEB_VERSION))) {
        std::fputs(answer->text.toUtf8().constData(), answer->toStandardError ? stderr : stdout);
        return answer->exitStatus;
    }
    // Before the first window: with the preview in it, each frame takes and frees buffers of the
    // window's size, and glibc's own choice of where they come from can cost a key 1,500 page
    // faults (see AllocatorSettings).
    AllocatorSettings::applyForWindows();
    // The preview's browser engine shares its GL contexts with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qzweb"));
    QApplication::setDesktopFileName(QStringLiteral(QZWEB_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qzweb/qzweb.svg")));
    FrameAccessibility::install();
    if (!AppWindows::installQtTranslations(app))
        qWarning("qzweb: Qt's Japanese translations are not installed in %s; standard dialogs stay in English",
                 qUtf8Printable(QLibraryInfo::path(QLibraryInfo::TranslationsPath)));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("QZWeb — HTML エディタ"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("開くファイル"), QStringLiteral("[FILE...]"));
    parser.process(app);

    // A second start hands its files to the program already running and ends.
    QStringList files;
    for (const QString &file : parser.positionalArguments())
        files.append(QFileInfo(file).absoluteFilePath());
    SingleInstance instance(DataFolder::path());
    if (instance.handOver(files))
        return 0;
    instance.listen();
    // Before the preview's browser view exists (see SceneGraphChoice).
    SceneGraphChoice::applyForThisMachine();

    QtUserDialogs dialogs;
    // Asks the desktop keyring at once whether it is there, so that the answer is in long
    // before the user first connects.
    SecretServiceStore keyring;
    std::unique_ptr<MainWindow> window(AppWindows::create(dialogs, keyring));
    QObject::connect(window.get(), &MainWindow::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    // Logging out, Ctrl+C or a closed terminal end the program without closing its window; the
    // preview files it wrote beside the user's pages must not stay behind. Unsaved work is
    // kept for recovery as it is for a crash.
    const TerminationSignals ending([&window] {
        window->discardPreviewCopies();
        window->keepSession();
    });
    // The last session's pages, then each file given, in tabs of their own, the last one in
    // front; the window shows them from its first picture on.
    window->restoreSession();
    for (const QString &file : std::as_const(files))
        window->openStartupFile(file);
    window->show();
    QObject::connect(&instance, &SingleInstance::filesArrived, window.get(), [&window](const QStringList &arrived) {
        window->raise();
        window->activateWindow();
        for (const QString &file : arrived)
            window->openStartupFile(file);
    });
    // Once the window is up, work an earlier run lost is offered back (put back on purpose, it
    // replaces the unchanged text of its file's tab).
    QTimer::singleShot(0, window.get(), [&window] {
        window->offerKeptPages();
        // The first 反映 would otherwise wait for the browser engine to start.
        QTimer::singleShot(0, window.get(), [&window] { window->warmUpPreview(); });
    });
    return app.exec();
}
