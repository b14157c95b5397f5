// The preview pane on the real browser engine, through the real main window. Chromium is slow
// to start, so these are few; every wait is on the engine's own signals, never on the clock.
#include "app/statusbar.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/datafolder.h"
#include "loopbackhttpserver.h"
#include "preview/previewarea.h"
#include "preview/previewchoices.h"
#include "preview/previewcommands.h"
#include "support/mainwindowfixture.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>

namespace {

constexpr int kLoadTimeoutMs = 30000;

class WebEnginePreviewTest : public MainWindowFixture
{
protected:
    // Only 反映 loads pages here: a refresh by itself in the middle of a load would cut it short.
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        trigger(QStringLiteral("mnuAutoRefreshManual"));
    }

    void setEditorText(const QString &text) { EditorAdapter(window->page().editor()).setText(text); }
    void click(const char *button) { control<QAbstractButton>(QString::fromLatin1(button))->click(); }
    QWebEngineView *view() const { return window->findChild<QWebEngineView *>(); }

    // Presses 反映 and waits for the load it starts to end; returns whether it succeeded.
    bool renderAndWait()
    {
        QWebEngineView *existing = view();
        std::unique_ptr<QSignalSpy> spy;
        if (existing)
            spy = std::make_unique<QSignalSpy>(existing, &QWebEngineView::loadFinished);
        click("Button1");
        if (!existing) {
            if (!view())
                return false;
            spy = std::make_unique<QSignalSpy>(view(), &QWebEngineView::loadFinished);
        }
        if (spy->isEmpty() && !spy->wait(kLoadTimeoutMs))
            return false;
        return spy->first().first().toBool();
    }

    // Waits until the pane shows a page with the given title, at the given address when one is
    // given (the program's error pages come after the failed load has ended).
    bool waitForTitle(const QString &title, const QString &address = QString())
    {
        return QTest::qWaitFor(
            [&] { return view() && view()->title() == title && (address.isNull() || view()->url() == QUrl(address)); },
            kLoadTimeoutMs);
    }

    QVariant evaluate(const QString &script)
    {
        QVariant result;
        bool done = false;
        view()->page()->runJavaScript(script, [&](const QVariant &value) {
            result = value;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, kLoadTimeoutMs))
            ADD_FAILURE() << "script did not answer: " << script.toStdString();
        return result;
    }
};

} // namespace

TEST_F(WebEnginePreviewTest, AnEmptyEditorWritesNothingAndStartsNoBrowser)
{
    click("Button1");
    EXPECT_TRUE(QDir(work.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(view(), nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(WebEnginePreviewTest, RenderShowsTheDocumentFromItsOwnFolderWithItsImages)
{
    // Opening a document from a folder makes it the preview folder and the current folder.
    const QString site = workPath(QStringLiteral("サイト"));
    ASSERT_TRUE(QDir().mkpath(site));
    const QString page = QDir(site).filePath(QStringLiteral("index.htm"));
    QFile pageFile(page);
    ASSERT_TRUE(pageFile.open(QIODevice::WriteOnly));
    pageFile.close();
    dialogs.fileAnswers.enqueue(page);
    trigger(QStringLiteral("Open"));
    ASSERT_EQ(window->previewSession().previewDir, site + QLatin1Char('/'));
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QDir(site).filePath(QStringLiteral("pic.png"))));

    setEditorText(QStringLiteral("<html><head><meta charset=\"Shift_JIS\"><title>表示の確認</title></head>\r\n"
                                 "<body><img src=\"pic.png\"></body></html>\r\n"));
    ASSERT_TRUE(renderAndWait());

    const QString previewPath = QDir(site).filePath(window->previewSession().previewName);
    EXPECT_TRUE(QFile::exists(previewPath));
    EXPECT_EQ(view()->url(), QUrl::fromLocalFile(previewPath));
    EXPECT_TRUE(view()->url().toString().startsWith(QStringLiteral("file:///")));
    EXPECT_FALSE(view()->url().toString().contains(QLatin1Char('\\')));
    EXPECT_EQ(view()->title(), QStringLiteral("表示の確認"));
    EXPECT_EQ(evaluate(QStringLiteral("document.images[0].naturalWidth")).toInt(), 4);

    // The page is rendered below the window's thread: every thread of its render process yields
    // (once the load is over; the process makes threads while it starts).
    const qint64 renderer = view()->page()->renderProcessPid();
    ASSERT_GT(renderer, 0);
    QStringList unlowered;
    const auto allLowered = [&] {
        unlowered.clear();
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(renderer));
        const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &thread : threads) {
            errno = 0;
            const int niceness = ::getpriority(PRIO_PROCESS, thread.toUInt());
            if (errno != ESRCH && niceness < 10) // else a thread that ended meanwhile
                unlowered.append(thread);
        }
        return !threads.isEmpty() && unlowered.isEmpty();
    };
    EXPECT_TRUE(QTest::qWaitFor(allLowered, kLoadTimeoutMs)) << unlowered.join(u' ').toStdString();

    // A character Shift_JIS lacks is shown all the same, the page read as the program wrote it.
    setEditorText(QStringLiteral("<html><head><meta charset=\"Shift_JIS\"><title>𠮷の確認</title></head>\r\n"
                                 "<body><p>𠮷ｱ</p></body></html>\r\n"));
    ASSERT_TRUE(renderAndWait());
    EXPECT_EQ(view()->title(), QStringLiteral("𠮷の確認"));
    EXPECT_EQ(evaluate(QStringLiteral("document.body.innerText")).toString(), QStringLiteral("𠮷ｱ"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Closing the program takes the preview file away again.
    EditorAdapter(window->page().editor()).setModified(false);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(QFile::exists(previewPath));
}

TEST_F(WebEnginePreviewTest, HttpModeLoadsOnlineAndOfflineShowsOnlyWhatThePaneKept)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.start());
    server.addPage(QStringLiteral("/page.html"),
                   "<html><head><title>Loopback page</title></head><body>hi</body></html>");
    server.addPage(QStringLiteral("/other.html"), "<html><head><title>Other</title></head><body>no</body></html>");
    auto *urlBox = control<QComboBox>(QStringLiteral("cmbURL"));

    click("RadioButton1");
    click("RadioButton3");
    urlBox->setEditText(server.url(QStringLiteral("/page.html")));
    ASSERT_TRUE(renderAndWait());
    EXPECT_TRUE(server.requestedPaths.contains(QStringLiteral("/page.html")));
    EXPECT_EQ(view()->title(), QStringLiteral("Loopback page"));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    EXPECT_EQ(
        window->webLists().webHistory,
        QStringList{
            QStringLiteral("\"%1\",\"Loopback page\",\"%2\"").arg(today, server.url(QStringLiteral("/page.html")))});
    EXPECT_EQ(urlBox->itemText(0), server.url(QStringLiteral("/page.html")));
    EXPECT_EQ(control<StatusBar>(QStringLiteral("StatusBar1"))->panelText(0), QStringLiteral("完了"));
    EXPECT_TRUE(control<QWidget>(QStringLiteral("ProgressBar1"))->isHidden());

    // The pane keeps its copy of the page in the background; offline needs it done.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto saves = view()->page()->profile()->findChildren<QWebEngineDownloadRequest *>();
            return !saves.isEmpty() && std::all_of(saves.begin(), saves.end(), [](auto *d) { return d->isFinished(); });
        },
        kLoadTimeoutMs));

    // Offline nothing goes to the network. A page never seen is explained in Japanese; Enter in
    // the address box starts the navigation as 反映 does.
    click("RadioButton4");
    const qsizetype requestCount = server.requestedPaths.size();
    {
        QSignalSpy finished(view(), &QWebEngineView::loadFinished);
        urlBox->setEditText(server.url(QStringLiteral("/other.html")));
        QTest::keyClick(urlBox->lineEdit(), Qt::Key_Return);
        ASSERT_TRUE(finished.wait(kLoadTimeoutMs));
        EXPECT_FALSE(finished.first().first().toBool());
        ASSERT_TRUE(waitForTitle(QStringLiteral("オフラインです"), server.url(QStringLiteral("/other.html"))));
        const QString text = evaluate(QStringLiteral("document.body.innerText")).toString();
        EXPECT_TRUE(text.contains(server.url(QStringLiteral("/other.html")))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("ｵﾝﾗｲﾝ"))) << text.toStdString();
        EXPECT_EQ(urlBox->findText(server.url(QStringLiteral("/other.html"))), -1);
        EXPECT_TRUE(control<QWidget>(QStringLiteral("ProgressBar1"))->isHidden());
    }
    // The page seen online comes from the pane's copy, under its own address, with no request.
    urlBox->setEditText(server.url(QStringLiteral("/page.html")));
    QTest::keyClick(urlBox->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(waitForTitle(QStringLiteral("Loopback page")));
    EXPECT_EQ(server.requestedPaths.size(), requestCount);
    EXPECT_EQ(urlBox->currentText(), server.url(QStringLiteral("/page.html")));
    // Neither is a new visit: the error page is none, the copy's page was seen today already.
    EXPECT_EQ(window->webLists().webHistory.size(), 1);
}

TEST_F(WebEnginePreviewTest, PagesThatCannotLoadAreExplainedInJapaneseNamingTheAddress)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/nothing.html").arg(closed.serverPort());
    closed.close();
    // A name that would be markup if the page took the address as HTML.
    const QString missing = QUrl::fromLocalFile(workPath(QStringLiteral("無い<b id=\"inj\">x</b>.htm"))).toString();
    auto *urlBox = control<QComboBox>(QStringLiteral("cmbURL"));
    auto *status = control<StatusBar>(QStringLiteral("StatusBar1"));
    click("RadioButton1");
    click("RadioButton3");

    const struct
    {
        QString address;
        QString title;
    } cases[] = {
        {refused, QStringLiteral("接続できません")},
        {missing, QStringLiteral("ファイルが見つかりません")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        urlBox->setEditText(c.address);
        EXPECT_FALSE(renderAndWait());
        ASSERT_TRUE(waitForTitle(c.title));
        EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('inj') === null")).toBool(), true);
        const QString text = evaluate(QStringLiteral("document.body.innerText")).toString();
        EXPECT_TRUE(text.contains(view()->url().toString())) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("ｵﾝﾗｲﾝ")));
    }
    // Neither failure is a visit, and neither reports completion.
    EXPECT_TRUE(window->webLists().webHistory.isEmpty());
    EXPECT_NE(status->panelText(0), QStringLiteral("完了"));
    EXPECT_EQ(urlBox->count(), 2);
}

// Wiring only: no page is loaded, so the engine does not start.
TEST_F(WebEnginePreviewTest, TheOnlineFlagFollowsTheButtonsWhateverChecksThem)
{
    auto *online = control<QRadioButton>(QStringLiteral("RadioButton3"));
    auto *offline = control<QRadioButton>(QStringLiteral("RadioButton4"));
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(online);
    ASSERT_NE(face, nullptr);
    ASSERT_NE(face->actionInterface(), nullptr);
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    ASSERT_TRUE(online->isChecked());
    EXPECT_TRUE(window->previewSession().onlineFlag);
    offline->setChecked(true);
    EXPECT_FALSE(window->previewSession().onlineFlag);
    EXPECT_EQ(view(), nullptr);
}

// A phone's width: the page is laid out at that many CSS pixels and asked for as a phone asks,
// whatever the pane's width; パソコン gives the pane's own width back. The choice is kept.
TEST_F(WebEnginePreviewTest, APhonesWidthShowsThePageAsThatPhoneWould)
{
    auto *width = control<QComboBox>(QStringLiteral("cmbPreviewWidth"));
    setEditorText(QStringLiteral("<html><head><title>幅</title></head><body><p>猫</p></body></html>\r\n"));
    ASSERT_TRUE(renderAndWait());
    const auto choose = [&](int cssWidth) {
        const int index = width->findData(cssWidth);
        ASSERT_GE(index, 0) << cssWidth;
        width->setCurrentIndex(index);
        QSignalSpy reloaded(view(), &QWebEngineView::loadFinished);
        emit width->activated(index);
        ASSERT_TRUE(reloaded.wait(kLoadTimeoutMs));
    };
    // The phone browses apart from the computer, as a phone beside it would: nothing the page
    // kept in one is in the other.
    evaluate(QStringLiteral("localStorage.setItem('seen', 'pc')"));
    for (const int phone : {360, 390, 414}) {
        choose(phone);
        EXPECT_TRUE(evaluate(QStringLiteral("localStorage.getItem('seen')")).isNull()) << phone;
        EXPECT_NEAR(evaluate(QStringLiteral("window.innerWidth")).toInt(), phone, 1);
        EXPECT_TRUE(evaluate(QStringLiteral("navigator.userAgent")).toString().contains(QStringLiteral("Mobile")));
        EXPECT_LE(view()->width(), window->view().preview->width());
    }
    EXPECT_TRUE(PreviewChoices::read(DataFolder::filePath(PreviewChoices::kFileName)).contains("pageWidth=414"));

    // Measured there for the page check: how far the content reaches, and what reaches furthest.
    auto *preview = window->findChild<PreviewCommands *>();
    ASSERT_NE(preview, nullptr);
    const struct
    {
        const char *body;
        bool wider;
        const char *widest;
    } pages[] = {
        {"<p>猫</p><div style=\"width: 900px; max-width: 100%\">箱</div>", false, ""},
        {"<p>猫</p><div id=\"wide\" style=\"width: 800px\"><p style=\"width: 700px\">表</p></div>",
         true,
         "<div id=\"wide\">"},
    };
    for (const auto &page : pages) {
        QSignalSpy measured(preview, &PreviewCommands::phoneFitMeasured);
        setEditorText(QStringLiteral("<html><head><title>幅</title></head><body>%1</body></html>\r\n")
                          .arg(QString::fromUtf8(page.body)));
        ASSERT_TRUE(renderAndWait());
        ASSERT_TRUE(!measured.isEmpty() || measured.wait(kLoadTimeoutMs)) << page.body;
        const std::optional<PhoneFit> fit = preview->phoneFitOf(window->document());
        ASSERT_TRUE(fit) << page.body;
        EXPECT_EQ(fit->phoneWidth, 414) << page.body;
        EXPECT_EQ(fit->contentWidth > fit->phoneWidth, page.wider) << page.body << ": " << fit->contentWidth;
        if (page.wider) {
            EXPECT_GE(fit->contentWidth, 800);
            EXPECT_EQ(fit->widest, QString::fromUtf8(page.widest));
        }
    }
    // An edit since makes the measure one of another text.
    setEditorText(QStringLiteral("<p>別</p>"));
    EXPECT_FALSE(preview->phoneFitOf(window->document()));

    choose(0);
    EXPECT_EQ(evaluate(QStringLiteral("localStorage.getItem('seen')")).toString(), QStringLiteral("pc"));
    EXPECT_NEAR(evaluate(QStringLiteral("window.innerWidth")).toInt(), view()->width(), 1);
    EXPECT_FALSE(evaluate(QStringLiteral("navigator.userAgent")).toString().contains(QStringLiteral("Mobile")));
    EXPECT_TRUE(PreviewChoices::read(DataFolder::filePath(PreviewChoices::kFileName)).contains("pageWidth=pc"));
}

TEST_F(WebEnginePreviewTest, AWarmedUpEngineRefreshesThePageWhereTheUserWasReading)
{
    // The user types on while the engine starts and while the page follows: the keyboard stays
    // in the editor.
    QWidget *editor = control<QWidget>(QStringLiteral("RichEdit1"));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    editor->setFocus();
    ASSERT_TRUE(editor->hasFocus());

    // Set up ahead of the first 反映: a blank page that is no page of the user's.
    window->warmUpPreview();
    ASSERT_NE(view(), nullptr);
    QSignalSpy warmedUp(view(), &QWebEngineView::loadFinished);
    ASSERT_TRUE(warmedUp.wait(kLoadTimeoutMs));
    EXPECT_FALSE(control<QProgressBar>(QStringLiteral("ProgressBar1"))->isVisible());
    EXPECT_TRUE(editor->hasFocus());

    const QString tallPage = QStringLiteral("<html><body><div style=\"height:5000px\">%1</div></body></html>\r\n");
    setEditorText(tallPage.arg(QStringLiteral("one")));
    ASSERT_TRUE(renderAndWait());
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    click("SpeedButton1");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.constFirst().text, QStringLiteral("ページがありません"));

    evaluate(QStringLiteral("window.scrollTo(0, 1200)"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view()->page()->scrollPosition().y() > 1000; }, kLoadTimeoutMs));
    setEditorText(tallPage.arg(QStringLiteral("two")));
    ASSERT_TRUE(renderAndWait());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return evaluate(QStringLiteral("window.scrollY")).toInt() == 1200; }, kLoadTimeoutMs));
    EXPECT_TRUE(window->webLists().webHistory.isEmpty());
    EXPECT_TRUE(editor->hasFocus());
}

// An untitled page is previewed from a private folder of the program; once it is saved into
// the site, the page that follows the typing by itself shows it from there at once, so that
// its links find the pages beside it.
TEST_F(WebEnginePreviewTest, AfterSaveAsTheAutomaticPreviewFindsThePagesBesideTheNewFile)
{
    trigger(QStringLiteral("mnuAutoRefreshIdle"));
    const QString site = workPath(QStringLiteral("site"));
    ASSERT_TRUE(QDir().mkpath(site));
    const QString other = QDir(site).filePath(QStringLiteral("other.htm"));
    QFile otherFile(other);
    ASSERT_TRUE(otherFile.open(QIODevice::WriteOnly));
    otherFile.write("<title>other</title>");
    otherFile.close();
    setEditorText(QStringLiteral("<html><head><title>new</title></head>"
                                 "<body><a href=\"other.htm\">other</a></body></html>\r\n"));
    ASSERT_TRUE(waitForTitle(QStringLiteral("new")));
    const QString untitledPreview = view()->url().toLocalFile();
    ASSERT_FALSE(untitledPreview.startsWith(site));

    dialogs.fileAnswers.enqueue(QDir(site).filePath(QStringLiteral("new.htm")));
    trigger(QStringLiteral("SaveAs1"));
    const QUrl preview = QUrl::fromLocalFile(QDir(site).filePath(window->previewSession().previewName));
    ASSERT_TRUE(waitForTitle(QStringLiteral("new"), preview.toString()));
    EXPECT_EQ(evaluate(QStringLiteral("document.links[0].href")).toString(), QUrl::fromLocalFile(other).toString());
    EXPECT_FALSE(QFile::exists(untitledPreview));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
