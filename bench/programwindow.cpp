#include "programwindow.h"

#include "app/allocatorsettings.h"
#include "app/appwindows.h"
#include "app/mainwindow.h"
#include "app/pagetabs.h"
#include "app/scenegraphchoice.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "authoring/sourceview.h"
#include "benchbasics.h"
#include "common/datafolder.h"
#include "preview/autorefreshsetting.h"

#include <QAction>
#include <QApplication>
#include <QSplitter>
#include <QWebEngineView>

#include <cstdio>

namespace bench {

ChildApplication::ChildApplication(int &argc, char **argv, bool ours)
{
    if (ours)
        AllocatorSettings::applyForWindows();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    app = std::make_unique<QApplication>(argc, argv);
    if (!ours)
        return;
    QApplication::setApplicationName(QStringLiteral("qzweb"));
    QApplication::setQuitOnLastWindowClosed(false);
    AppWindows::installQtTranslations(*app);
    software = SceneGraphChoice::applyForThisMachine() == SceneGraphChoice::Composition::Software;
}

DialogButton BenchDialogs::message(QWidget *, const MessageBoxRequest &request)
{
    std::fprintf(stderr, "%s: the window said: %s\n", benchName(), qUtf8Printable(request.text));
    return request.buttons.contains(DialogButton::Cancel) ? DialogButton::Cancel : request.buttons.value(0);
}

ChoiceAnswer BenchDialogs::choose(QWidget *, const ChoiceRequest &request)
{
    std::fprintf(stderr, "%s: the window asked: %s\n", benchName(), qUtf8Printable(request.text));
    return {request.escapeChoice, false};
}

void MemoryKeyring::read(const QString &key, QObject *context, Callback callback)
{
    const auto found = m_passwords.constFind(key);
    deliver(context,
            callback,
            found == m_passwords.cend() ? CredentialAnswer{CredentialAnswer::Status::NotFound, {}, {}}
                                        : CredentialAnswer{CredentialAnswer::Status::Done, *found, {}});
}

void MemoryKeyring::write(const QString &key, const QString &password, QObject *context, Callback callback)
{
    m_passwords.insert(key, password);
    deliver(context, callback, {CredentialAnswer::Status::Done, {}, {}});
}

void MemoryKeyring::remove(const QString &key, QObject *context, Callback callback)
{
    m_passwords.remove(key);
    deliver(context, callback, {CredentialAnswer::Status::Done, {}, {}});
}

ProgramWindow::ProgramWindow(const QString &home)
{
    if (home.isEmpty() && !m_ownHome.isValid())
        fail("no scratch folder");
    qputenv("QZWEB_HOME", (home.isEmpty() ? m_ownHome.path() : home).toLocal8Bit());
    AutoRefreshSetting::write(DataFolder::filePath(AutoRefreshSetting::kFileName), AutoRefreshMode::Manual);
    m_window.reset(AppWindows::create(m_dialogs, m_keyring));
}

// Out of line: the window's class is complete here.
ProgramWindow::~ProgramWindow() = default;

SourceView &ProgramWindow::editor() const
{
    return m_window->page().editor().sourceView();
}

QWebEngineView &ProgramWindow::preview() const
{
    auto *view = m_window->findChild<QWebEngineView *>(QStringLiteral("WebBrowser1View"));
    if (!view)
        fail("the preview has no browser view");
    return *view;
}

int ProgramWindow::pageCount() const
{
    return m_window->view().tabs->pageCount();
}

Layout ProgramWindow::layout() const
{
    const QSplitter &splitter = *m_window->view().splitter;
    const QList<int> sizes = splitter.sizes();
    return {QRect(splitter.mapTo(m_window.get(), QPoint(0, 0)), splitter.size()),
            sizes.value(0),
            sizes.value(1),
            splitter.handleWidth()};
}

void ProgramWindow::showAndWarmUp(ScreenWindow &screen)
{
    screen.present(*m_window, editor());
    m_window->offerKeptPages();
    m_window->warmUpPreview();
    waitForLoad(preview(), [] {});
}

void ProgramWindow::open(const QString &path)
{
    m_dialogs.answerFilesWith(path);
    m_window->action(QStringLiteral("Open"))->trigger();
}

void ProgramWindow::openSiteFolder(const QString &folder)
{
    m_dialogs.answerFilesWith(folder);
    m_window->action(QStringLiteral("mnuSiteFolder"))->trigger();
}

} // namespace bench
