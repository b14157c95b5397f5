// What follows the open document by itself: the 自動反映 switch, and the unsaved work kept for
// crash recovery (taken between keys, written on a thread of its own), offered back after a run
// was killed.
#include "app/keptpage.h"
#include "app/recoverykeeper.h"
#include "app/recoverystore.h"
#include "app/textcapture.h"
#include "authoring/htmlhighlighter.h"
#include "common/datafolder.h"
#include "preview/autorefreshsetting.h"
#include "support/mainwindowfixture.h"
#include "workspace/document.h"
#include "workspace/documentregistry.h"
#include "workspace/rtf/rtfwriter.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>

#include <atomic>
#include <csignal>
#include <thread>

namespace {

const char *const kChildVariable = "QZWEB_RECOVERY_CHILD";
const char *const kRichChildVariable = "QZWEB_RECOVERY_RICH";

KeptPage samplePage(const QString &path)
{
    TextFormat utf8;
    utf8.encoding = TextFormat::Encoding::Utf8;
    utf8.byteOrderMark = true;
    return {path,
            utf8,
            QDateTime(QDate(2026, 12, 8), QTime(21, 30, 5)),
            QStringLiteral("<p>ねこ 😀</p>\r\n\r\n<p>second</p>"),
            false};
}

// A page shown formatted: "ねこ" in bold, then plain text.
KeptPage sampleRichPage(const QString &path)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("ねこ"), bold);
    cursor.insertText(QStringLiteral(" plain"), QTextCharFormat());
    KeptPage page = samplePage(path);
    page.text = QString::fromLatin1(RtfWriter::write(document));
    page.richText = true;
    return page;
}

QString recoveryFolder()
{
    return DataFolder::filePath(RecoveryStore::kFolderName);
}

QStringList keptPages()
{
    return QDir(recoveryFolder()).entryList({QStringLiteral("*.page")}, QDir::Files);
}

} // namespace

TEST(KeptPage, ItsFileGivesBackEveryFieldAndOtherFilesAreRefused)
{
    KeptPage script = samplePage(QStringLiteral("/home/u/サイト/a\nb=c.cgi"));
    script.format.lineEnd = LineEnd::Lf;
    script.format.unreadableBytes = true;
    for (const KeptPage &page : {samplePage(QString()), script, sampleRichPage(QStringLiteral("/home/u/a.rtf"))}) {
        const std::optional<KeptPage> back = KeptPage::parse(page.toBytes());
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->path, page.path);
        EXPECT_EQ(back->text, page.text);
        EXPECT_EQ(back->richText, page.richText);
        EXPECT_EQ(back->keptAt, page.keptAt);
        EXPECT_EQ(back->format.encoding, TextFormat::Encoding::Utf8);
        EXPECT_TRUE(back->format.byteOrderMark);
        EXPECT_EQ(back->format.lineEnd, page.format.lineEnd);
        EXPECT_EQ(back->format.unreadableBytes, page.format.unreadableBytes);
    }
    // A copy an earlier version kept says nothing of its line ends: the program's own CR LF.
    const std::optional<KeptPage> older = KeptPage::parse("QZWeb recovery 1\npath=\nencoding=cp932\nbom=0\n"
                                                          "kept=2026-12-08T12:30:05Z\n\ntext");
    ASSERT_TRUE(older.has_value());
    EXPECT_EQ(older->format.lineEnd, LineEnd::CrLf);
    EXPECT_FALSE(older->format.unreadableBytes);
    for (const QByteArray &other : {QByteArray(), QByteArray("<html>\n\n"), QByteArray("QZWeb recovery 1\npath=\n")})
        EXPECT_FALSE(KeptPage::parse(other).has_value()) << other.constData();
}

namespace {

// The program's side of the copies, scripted: the page is handed over a turn of the event loop
// after it is asked for, as the editor's is, and its write records where it runs and, while
// the test holds the gate, waits there as a slow disk would.
class ScriptedWork final : public RecoveryWork
{
public:
    explicit ScriptedWork(RecoveryStore *store = nullptr) : m_store(store) {}

    void take(Taken taken) override
    {
        ++takes;
        m_taken = std::move(taken);
        QTimer::singleShot(0, &m_context, [this] {
            if (m_taken)
                std::exchange(m_taken, nullptr)(unsaved ? std::optional<Write>(write()) : std::nullopt);
        });
    }
    std::optional<Write> takeAtOnce() override { return unsaved ? std::optional<Write>(write()) : std::nullopt; }
    void stopTaking() override { m_taken = nullptr; }
    void discard() override
    {
        ++discards;
        discardedWhileWriting = writing.load();
        if (m_store)
            m_store->discard();
    }

    bool unsaved = true;
    std::atomic<bool> holdWrites = false;
    QSemaphore gate;
    int takes = 0;
    int discards = 0;
    bool discardedWhileWriting = false;
    std::atomic<int> writes = 0;
    std::atomic<bool> writing = false;
    std::atomic<QThread *> writeThread = nullptr;

private:
    Write write()
    {
        return [this] {
            writing = true;
            writeThread = QThread::currentThread();
            // Bounded, so a write on the window's thread fails the test instead of hanging it.
            if (holdWrites)
                gate.tryAcquire(1, 10000);
            if (m_store)
                m_store->keep(samplePage(QString()));
            ++writes;
            writing = false;
        };
    }

    RecoveryStore *m_store;
    Taken m_taken;
    QObject m_context;
};

} // namespace

TEST(RecoveryKeeper, KeepsTheWorkOnceTheTypingPausesAndDropsItWhenSaved)
{
    QTemporaryDir folder;
    RecoveryStore store(folder.path());
    ScriptedWork work(&store);
    RecoveryKeeper keeper(work, nullptr, std::chrono::milliseconds(50), std::chrono::milliseconds(200));
    const auto pages = [&] { return QDir(folder.path()).entryList({QStringLiteral("*.page")}, QDir::Files); };

    keeper.documentEdited();
    EXPECT_TRUE(pages().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return pages().size() == 1; }, 5000));

    keeper.modificationChanged(false);
    EXPECT_TRUE(pages().isEmpty());
}

TEST(RecoveryKeeper, ACopyIsWrittenOffTheWindowsThreadAndOneDueMeanwhileIsSkippedNotQueued)
{
    ScriptedWork work;
    work.holdWrites = true;
    RecoveryKeeper keeper(work, nullptr, std::chrono::milliseconds(30), std::chrono::milliseconds(100));
    keeper.documentEdited();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.writing.load(); }, 5000));
    EXPECT_NE(work.writeThread.load(), QThread::currentThread());

    // The typing goes on while the disk is slow; the copies falling due meanwhile are skipped.
    for (int key = 0; key < 5; ++key) {
        keeper.documentEdited();
        QTest::qWait(10);
    }
    QTest::qWait(300);
    EXPECT_EQ(work.takes, 1);
    EXPECT_EQ(work.writes.load(), 0);

    // Once it is written, one more copy comes a pause later with what was typed since.
    work.holdWrites = false;
    work.gate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.writes.load() == 2; }, 5000));
    QTest::qWait(300);
    EXPECT_EQ(work.takes, 2);
    EXPECT_EQ(work.writes.load(), 2);
}

TEST(RecoveryKeeper, ACopyBeingWrittenWhenTheWorkIsSavedIsGoneWhenTheDiscardReturns)
{
    ScriptedWork work;
    work.holdWrites = true;
    RecoveryKeeper keeper(work, nullptr, std::chrono::milliseconds(30), std::chrono::milliseconds(100));
    keeper.documentEdited();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.writing.load(); }, 5000));
    keeper.documentEdited(); // a key after the copy was taken

    std::thread disk([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        work.gate.release();
    });
    keeper.modificationChanged(false);
    disk.join();
    EXPECT_EQ(work.writes.load(), 1);
    EXPECT_EQ(work.discards, 1);
    EXPECT_FALSE(work.discardedWhileWriting);
    // Nothing is unsaved: the key's copy does not come.
    QTest::qWait(300);
    EXPECT_EQ(work.takes, 1);
}

namespace {

// Lines of every kind of break the pane holds, and characters of two UTF-16 units, so pieces
// end inside a pair as well as between lines.
QString captureText(int lines)
{
    QString text;
    for (int line = 0; line < lines; ++line)
        text += QStringLiteral("<p>行 %1 😀 ｶﾅ</p>\n").arg(line);
    return text;
}

} // namespace

TEST(TextCapture, TheCopyTakenWhileTheTextChangesIsTheTextAsItStandsAtTheEnd)
{
    using Edit = std::function<void(QTextDocument &, int turn)>;
    const auto insertAt = [](double where) {
        return Edit([where](QTextDocument &text, int) {
            QTextCursor cursor(&text);
            cursor.setPosition(int((text.characterCount() - 1) * where));
            cursor.insertText(QStringLiteral("x"));
        });
    };
    const struct
    {
        const char *name;
        Edit edit;
    } rows[] = {
        {"typing at the top", insertAt(0)},
        {"typing in the middle", insertAt(0.5)},
        {"typing at the end", insertAt(1)},
        {"a line break typed early on", [](QTextDocument &text, int) { QTextCursor(&text).insertBlock(); }},
        {"a selection removed across pieces",
         [](QTextDocument &text, int turn) {
             if (turn % 3)
                 return;
             QTextCursor cursor(&text);
             cursor.setPosition(1000 + turn);
             cursor.setPosition(1000 + turn + 3 * TextCapture::kPieceCharacters, QTextCursor::KeepAnchor);
             cursor.insertText(QStringLiteral("置き換え\n"));
         }},
        {"undone and done again",
         [](QTextDocument &text, int turn) {
             if (turn == 0)
                 QTextCursor(&text).insertText(QStringLiteral("元に戻す"));
             else if (turn % 2)
                 text.undo();
             else
                 text.redo();
         }},
        {"another text put in",
         [](QTextDocument &text, int turn) {
             if (turn == 1)
                 text.setPlainText(captureText(20000));
         }},
    };
    for (const auto &row : rows) {
        QTextDocument text;
        // Laid out as the source view lays it out: a block when it is shown.
        text.setDocumentLayout(new QPlainTextDocumentLayout(&text));
        text.setPlainText(captureText(120000));
        TextCapture capture;
        std::optional<QString> copy;
        capture.start(&text, [&](std::optional<QStringList> pieces) { copy = TextCapture::join(pieces.value()); });
        int turns = 0;
        QTimer editor;
        editor.setInterval(0);
        QObject::connect(&editor, &QTimer::timeout, [&] {
            if (capture.isRunning())
                row.edit(text, turns++);
        });
        editor.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return copy.has_value(); }, 60000)) << row.name;
        EXPECT_GE(turns, 2) << row.name << ": too few edits while the copy was taken";
        EXPECT_TRUE(*copy == text.toRawText()) << row.name;
    }
}

// Run only as the child of the test below: keeps a page as the program does, then dies as a
// killed program dies, without any clean-up.
TEST(RecoveryChild, KeepsAPageAndIsKilled)
{
    if (!qEnvironmentVariableIsSet(kChildVariable))
        GTEST_SKIP() << "runs as a child process only";
    RecoveryStore store(recoveryFolder());
    const QString path = qEnvironmentVariable(kChildVariable);
    store.keep(qEnvironmentVariableIsSet(kRichChildVariable) ? sampleRichPage(path) : samplePage(path));
    std::raise(SIGKILL);
}

class DocumentFollowersTest : public MainWindowFixture
{
protected:
    // Another run of the program, killed after it kept its unsaved page.
    // Returns the name of the page it left.
    QString runKilledChild(const QString &documentPath, bool rich = false)
    {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildVariable), documentPath);
        if (rich)
            environment.insert(QString::fromLatin1(kRichChildVariable), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=RecoveryChild.KeepsAPageAndIsKilled")});
        EXPECT_TRUE(child.waitForFinished(30000));
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(keptPages().size(), 1);
        return keptPages().value(0);
    }

    QPlainTextEdit *editor() const { return control<QPlainTextEdit>(QStringLiteral("RichEdit1")); }
};

TEST_F(DocumentFollowersTest, AKilledRunsPageIsOfferedBackAtTheNextStart)
{
    const QString path = workPath(QStringLiteral("index.htm"));
    const QString killedRunsPage = runKilledChild(path);
    ASSERT_FALSE(killedRunsPage.isEmpty());
    dialogs.messageAnswers.enqueue(DialogButton::Restore);
    window->offerKeptPages();

    ASSERT_EQ(dialogs.messages.size(), 1);
    const MessageBoxRequest &question = dialogs.messages.constFirst();
    EXPECT_EQ(question.buttons, (QList<DialogButton>{DialogButton::Restore, DialogButton::Discard}));
    EXPECT_TRUE(question.text.contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(question.text.contains(QStringLiteral("2026/12/08 21:30:05")));
    EXPECT_EQ(editor()->toPlainText(), QStringLiteral("<p>ねこ 😀</p>\n\n<p>second</p>"));
    EXPECT_TRUE(editor()->document()->isModified());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("QZWeb [%1]").arg(QDir::toNativeSeparators(path)));
    EXPECT_EQ(window->document().path(), path);
    // Kept again under this run's name before the killed run's copy went.
    ASSERT_EQ(keptPages().size(), 1);
    EXPECT_NE(keptPages().constFirst(), killedRunsPage);

    // Given up on purpose at the close: nothing is offered at the next start.
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    ASSERT_TRUE(window->close());
    EXPECT_TRUE(keptPages().isEmpty());
}

TEST_F(DocumentFollowersTest, APageShownFormattedComesBackFormatted)
{
    ASSERT_FALSE(runKilledChild(workPath(QStringLiteral("page.rtf")), true).isEmpty());
    dialogs.messageAnswers.enqueue(DialogButton::Restore);
    window->offerKeptPages();

    const auto *rich = control<QTextEdit>(QStringLiteral("RichEdit1"));
    ASSERT_NE(rich, nullptr) << "restored into the source view";
    EXPECT_EQ(rich->toPlainText(), QStringLiteral("ねこ plain"));
    EXPECT_GE(rich->document()->begin().begin().fragment().charFormat().fontWeight(), QFont::Bold);
    EXPECT_TRUE(rich->document()->isModified());
}

TEST_F(DocumentFollowersTest, DiscardingDeletesTheKeptPageAndALiveRunsPageIsLeftAlone)
{
    ASSERT_FALSE(runKilledChild(QString()).isEmpty());
    dialogs.messageAnswers.enqueue(DialogButton::Discard);
    window->offerKeptPages();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages.constFirst().text.contains(QStringLiteral("無題")));
    EXPECT_TRUE(editor()->toPlainText().isEmpty());
    EXPECT_TRUE(keptPages().isEmpty());

    // Another program running at the same time keeps its page to itself.
    RecoveryStore running(recoveryFolder());
    running.keep(samplePage(QString()));
    window->offerKeptPages();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(keptPages().size(), 1);
}

// A crash with several tabs open left a copy of each: one window offers them all, キャンセル keeps
// every copy, and OK puts back the chosen ones (into the tab their file is open in, else a new
// tab) and deletes the others.
TEST_F(DocumentFollowersTest, SeveralPagesLeftBehindAreOfferedInOneWindow)
{
    const QString open = workPath(QStringLiteral("open.htm"));
    const QString other = workPath(QStringLiteral("other.htm"));
    QFile file(open);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<p>on disk</p>");
    file.close();
    dialogs.fileAnswers.enqueue(open);
    trigger(QStringLiteral("Open"));
    int minute = 0;
    for (const QString &path : {open, other, QString()}) {
        KeptPage page = samplePage(path);
        page.keptAt = page.keptAt.addSecs(60 * ++minute);
        RecoveryStore crashed(recoveryFolder());
        crashed.keep(page);
    }
    ASSERT_EQ(keptPages().size(), 3);
    const auto tabCount = [this] { return window->documents().documents().size(); };

    const QMap<QString, const char *> rounds[] = {
        {},
        {{open, "KeptPageRestore"}, {other, "KeptPageDiscard"}, {QStringLiteral("無題"), "KeptPageRestore"}},
    };
    for (const auto &choices : rounds) {
        QStringList listed;
        dialogs.dialogScripts.enqueue([&](QDialog *dialog) {
            for (int i = 0; i < 3; ++i) {
                const QString name = dialog->findChild<QLabel *>(QStringLiteral("KeptPageName%1").arg(i))->text();
                listed.append(name);
                for (auto it = choices.begin(); it != choices.end(); ++it) {
                    if (name.startsWith(QDir::toNativeSeparators(it.key())))
                        dialog->findChild<QRadioButton *>(QString::fromLatin1(it.value()) + QString::number(i))
                            ->click();
                }
            }
            const char *button = choices.isEmpty() ? "KeptPagesCancel" : "KeptPagesOk";
            dialog->findChild<QPushButton *>(QString::fromLatin1(button))->click();
        });
        window->offerKeptPages();
        ASSERT_EQ(listed.size(), 3);
        EXPECT_TRUE(listed.first().startsWith(QStringLiteral("無題"))) << "newest first";
        if (choices.isEmpty()) {
            EXPECT_EQ(keptPages().size(), 3) << "キャンセル decides nothing";
            EXPECT_EQ(tabCount(), 1);
        }
    }
    ASSERT_EQ(tabCount(), 2) << "the open file's copy went into its tab";
    const Document &openPage = *window->documents().find(open);
    EXPECT_TRUE(openPage.isModified());
    EXPECT_EQ(openPage.text()->toPlainText(), QStringLiteral("<p>ねこ 😀</p>\n\n<p>second</p>"));
    EXPECT_TRUE(window->document().isUntitled()) << "the newest page put back is in front";
    EXPECT_TRUE(window->document().isModified());
    EXPECT_EQ(window->documents().find(other), nullptr);
    EXPECT_EQ(keptPages().size(), 2) << "this run's copies of the two pages put back; the other copy went";
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(DocumentFollowersTest, TheAutoRefreshChoiceIsExclusiveAndRemembered)
{
    const QStringList names = {QStringLiteral("mnuAutoRefreshManual"),
                               QStringLiteral("mnuAutoRefreshIdle"),
                               QStringLiteral("mnuAutoRefreshSaved")};
    const auto checked = [&] {
        QStringList on;
        for (const QString &name : names) {
            if (action(name)->isChecked())
                on.append(name);
        }
        return on;
    };
    // A new user's preview follows the typing.
    EXPECT_EQ(checked(), QStringList{QStringLiteral("mnuAutoRefreshIdle")});

    trigger(QStringLiteral("mnuAutoRefreshSaved"));
    EXPECT_EQ(checked(), QStringList{QStringLiteral("mnuAutoRefreshSaved")});
    EXPECT_EQ(AutoRefreshSetting::read(DataFolder::filePath(AutoRefreshSetting::kFileName)),
              AutoRefreshMode::WhenSaved);
    createWindows();
    EXPECT_EQ(checked(), QStringList{QStringLiteral("mnuAutoRefreshSaved")});
}

TEST_F(DocumentFollowersTest, TypingIsKeptWithinSecondsAndSavingDropsTheCopy)
{
    trigger(QStringLiteral("mnuAutoRefreshManual")); // no browser needed here
    QTest::keyClicks(editor(), QStringLiteral("<p>kept</p>"));
    ASSERT_TRUE(QTest::qWaitFor([] { return keptPages().size() == 1; }, 30000));
    QFile kept(QDir(recoveryFolder()).filePath(keptPages().constFirst()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    const std::optional<KeptPage> page = KeptPage::parse(kept.readAll());
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->text, QStringLiteral("<p>kept</p>"));
    EXPECT_TRUE(page->path.isEmpty());

    dialogs.fileAnswers.enqueue(workPath(QStringLiteral("kept.htm")));
    trigger(QStringLiteral("Save1"));
    EXPECT_TRUE(keptPages().isEmpty());
}
