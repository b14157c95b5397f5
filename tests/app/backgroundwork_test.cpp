// What the program does by itself while the user works, through the real main window on a fake
// browser engine: the recovery copy and the automatic refresh leave the keys of a large page
// alone, and an automatic refresh never comes up inside a question the user is answering.
#include "app/keptpage.h"
#include "app/recoverykeeper.h"
#include "app/recoverystore.h"
#include "app/statusbar.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/datafolder.h"
#include "preview/autorefresh.h"
#include "support/fakebrowserengine.h"
#include "support/mainwindowfixture.h"

#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>

#include <ctime>
#include <functional>

namespace {

const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The longest the window's thread went without turning its event loop, which is what a key
// typed then would have waited: a timer that wants to tick every few milliseconds notes each
// gap, in this thread's processor time (what the program did, whatever else the machine runs)
// and in wall time.
class StallProbe
{
public:
    StallProbe()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(5);
        QObject::connect(&m_tick, &QTimer::timeout, [this] { note(); });
        m_wall.start();
        m_cpu = threadCpuMs();
        m_tick.start();
    }

    double longestCpuMs = 0;
    double longestWallMs = 0;

private:
    void note()
    {
        const double wall = m_wall.nsecsElapsed() / 1e6;
        const double cpu = threadCpuMs();
        longestWallMs = std::max(longestWallMs, wall - m_lastWall);
        longestCpuMs = std::max(longestCpuMs, cpu - m_cpu);
        m_lastWall = wall;
        m_cpu = cpu;
    }

    QTimer m_tick;
    QElapsedTimer m_wall;
    double m_lastWall = 0;
    double m_cpu = 0;
};

// A page of 20 MiB in Shift_JIS, written as beginners write them.
QString largePage()
{
    const QString line = QStringLiteral("<p class=\"text\">日本語のページです。 <b>ｶﾀｶﾅ</b> &amp; ★子どもの絵</p>\r\n");
    constexpr qsizetype kLineBytes = 73; // in Shift_JIS
    constexpr qsizetype kLines = 20 * 1024 * 1024 / kLineBytes;
    QString page = QStringLiteral("<!DOCTYPE html>\r\n<html><head><title>大きなページ</title></head><body>\r\n");
    page.reserve(kLines * line.size() + 64);
    for (qsizetype i = 0; i < kLines; ++i)
        page += line;
    return page + QStringLiteral("</body></html>\r\n");
}

QString recoveryFolder()
{
    return DataFolder::filePath(RecoveryStore::kFolderName);
}

// This run's copy, when there is one.
QFileInfo keptFile()
{
    const QStringList pages = QDir(recoveryFolder()).entryList({QStringLiteral("*.page")}, QDir::Files);
    return pages.isEmpty() ? QFileInfo() : QFileInfo(QDir(recoveryFolder()).filePath(pages.constFirst()));
}

std::optional<KeptPage> keptPage()
{
    QFile file(keptFile().filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return KeptPage::parse(file.readAll());
}

class BackgroundWorkTest : public MainWindowFixture
{
protected:
    BrowserEngine *makePreviewEngine() override
    {
        engine = new FakeBrowserEngine;
        return engine;
    }

    QPlainTextEdit *editor() const { return control<QPlainTextEdit>(QStringLiteral("RichEdit1")); }
    QString statusText() const { return control<StatusBar>(QStringLiteral("StatusBar1"))->panelText(0); }
    void setCaret(int position)
    {
        QTextCursor cursor = editor()->textCursor();
        cursor.setPosition(position);
        editor()->setTextCursor(cursor);
    }

    FakeBrowserEngine *engine = nullptr;
};

} // namespace

TEST_F(BackgroundWorkTest, TypingOnALargePageWaitsNeitherForItsCopyNorForItsPreview)
{
    EditorAdapter(window->page().editor()).setText(largePage());
    setCaret(editor()->document()->characterCount() / 2);
    // The first key lays out the caret's part of the page; from then on it is typing.
    QTest::keyClick(editor(), Qt::Key_A);
    QTest::qWait(100);
    StallProbe probe;

    // A pause: the preview's turn comes and goes, then the copy's.
    QTest::keyClick(editor(), Qt::Key_A);
    QTest::qWait(int(RecoveryKeeper::kIdleDelay.count()) + 10);
    EXPECT_EQ(statusText(), AutoRefresh::kTooLargeNotice);

    // Typing on while the copy is taken and written.
    int keysBeforeTheCopy = 0;
    for (int key = 0; key < 20; ++key) {
        if (!keptFile().exists())
            ++keysBeforeTheCopy;
        QTest::keyClick(editor(), Qt::Key_B);
        QTest::qWait(100);
    }
    EXPECT_GT(keysBeforeTheCopy, 0) << "no key came while the copy was under way";

    // A pause later the copy holds the text as the last key left it, whole.
    const QDateTime lastKey = QDateTime::currentDateTime();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return keptFile().exists()
                && keptFile().lastModified() >= lastKey.addMSecs(RecoveryKeeper::kIdleDelay.count());
        },
        60000));
    const std::optional<KeptPage> page = keptPage();
    ASSERT_TRUE(page.has_value());
    EXPECT_TRUE(page->text == EditorAdapter(window->page().editor()).text());

    // Measured generously: the machine is shared, and the copy used to take over a second.
    EXPECT_LT(probe.longestCpuMs, 50);
    EXPECT_LT(probe.longestWallMs, 1000);

    // The pause after the typing left the preview alone too, and said nothing again.
    EXPECT_TRUE(engine->navigations.isEmpty());
    EXPECT_NE(statusText(), AutoRefresh::kTooLargeNotice);
    control<QPushButton>(QStringLiteral("Button1"))->click();
    EXPECT_EQ(engine->navigations.size(), 1) << "反映 shows a page of any size";
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(BackgroundWorkTest, APreviewDueWhileAQuestionIsOpenComesAfterTheAnswerWhichTakesEffect)
{
    const QString page = QStringLiteral("<meta charset=\"Shift_JIS\"><p>𠮷ｱ</p>");
    const struct
    {
        const char *command;
        std::function<void()> prepare;
        std::function<void()> check;
        std::function<void(const QByteArray &preview)> checkPreview;
    } rows[] = {
        {"N27", // 半角カナを全角カナに
         [&] {
             QTextCursor cursor = editor()->textCursor();
             cursor.setPosition(int(page.indexOf(QStringLiteral("ｱ"))));
             cursor.setPosition(cursor.position() + 1, QTextCursor::KeepAnchor);
             editor()->setTextCursor(cursor);
         },
         [&] { EXPECT_TRUE(editor()->toPlainText().contains(QStringLiteral("𠮷ア"))); },
         // Shift_JIS cannot hold the page: it is shown as UTF-8 all the same.
         [&](const QByteArray &preview) {
             EXPECT_TRUE(preview.startsWith(kUtf8Mark));
             EXPECT_TRUE(preview.contains(QStringLiteral("𠮷ア").toUtf8()));
         }},
        {"Save1", // the save's offer to write UTF-8 instead
         [&] { dialogs.fileAnswers.enqueue(workPath(QStringLiteral("page.htm"))); },
         [&] {
             QFile saved(workPath(QStringLiteral("page.htm")));
             ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
             EXPECT_TRUE(saved.readAll().contains(QStringLiteral("𠮷ｱ").toUtf8()));
         },
         // Now in UTF-8, the page is shown as it was saved.
         [&](const QByteArray &preview) {
             QFile saved(workPath(QStringLiteral("page.htm")));
             ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
             EXPECT_EQ(preview, saved.readAll());
         }},
    };
    for (const auto &row : rows) {
        createWindows();
        dialogs.messages.clear();
        EditorAdapter(window->page().editor()).setText(page); // the preview is due a pause from now
        row.prepare();
        dialogs.messageAnswers.enqueue(DialogButton::Yes);
        qsizetype loadsWhileOpen = -1;
        dialogs.whileNextMessageOpen = [&](const MessageBoxRequest &) {
            // As a real question: a modal box, its own event loop turning for a while.
            QDialog box(window.get());
            box.setModal(true);
            box.show();
            const qsizetype before = engine->navigations.size();
            QTest::qWait(int(AutoRefresh::kIdleDelay.count()) * 3);
            loadsWhileOpen = engine->navigations.size() - before;
        };
        trigger(QString::fromLatin1(row.command));

        EXPECT_EQ(dialogs.messages.size(), 1) << row.command << ": only the question is asked";
        EXPECT_EQ(dialogs.unexpected, 0) << row.command;
        EXPECT_EQ(loadsWhileOpen, 0) << row.command;
        row.check();
        // Then the preview comes.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !engine->navigations.isEmpty(); }, 10000)) << row.command;
        QFile preview(QUrl(engine->navigations.last().address).toLocalFile());
        ASSERT_TRUE(preview.open(QIODevice::ReadOnly)) << row.command;
        row.checkPreview(preview.readAll());
        EXPECT_EQ(dialogs.messages.size(), 1) << row.command;
    }
}
