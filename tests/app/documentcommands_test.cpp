// The document commands over a bare pane, state and recent-file list: states and captions, the
// rich-text rule, the three questions and their answers, preview-file deletion, encodings, and
// failures with what survives them. Drops, the command-line file and closing also run through
// the real main window's events. Every dialog is answered by the scripted dialogs.
#include "app/documentcommands.h"

#include "app/mainmenu.h"
#include "app/recentfilelist.h"
#include "app/statusbar.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"
#include "common/textcodec.h"
#include "preview/previewsession.h"
#include "support/mainwindowfixture.h"
#include "support/scripteduserdialogs.h"
#include "workspace/document.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QUrl>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString kEmptyQuestion = QStringLiteral("白紙のファイルを保存しますか？");
const QString kCloseQuestion = QStringLiteral("編集後にファイルが保存されていません。終了しますか？");
const QList<DialogButton> kYesNoCancel{DialogButton::Yes, DialogButton::No, DialogButton::Cancel};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

ino_t inodeOf(const QString &path)
{
    struct stat info
    {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QString titled(const QString &path)
{
    return QStringLiteral("QZWeb [") + path + QLatin1Char(']');
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath() + QLatin1Char('/');
}

// How a failed save ends its message, with no second stop after it.
const QString kUnchangedOnDisk = QStringLiteral("ディスク上のファイルは変更されていません。");

QStringList errorsShown(const ScriptedUserDialogs &dialogs)
{
    QStringList texts;
    for (const MessageBoxRequest &request : dialogs.messages) {
        if (request.icon == DialogIcon::Error)
            texts.append(request.text);
    }
    return texts;
}

// The handler a menu item carries, as the main window's menu table gives it.
QString handlerOf(const QString &actionName)
{
    QList<MenuEntry> pending = MainMenu::menuBar();
    while (!pending.isEmpty()) {
        const MenuEntry entry = pending.takeFirst();
        if (entry.name == actionName)
            return entry.handler;
        pending += entry.items;
    }
    ADD_FAILURE() << "no menu item " << actionName.toStdString();
    return {};
}

} // namespace

class DocumentCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        m_savedCurrentPath = QDir::currentPath();
        QDir::setCurrent(work.path());
        m_preview.previewName = QStringLiteral("12_34_56.htm");
        window.setWindowTitle(QStringLiteral("QZWeb"));
        m_editor = new EditorStack(*m_page.text(), &window);
        auto *context = new PageContext(*m_editor, m_page, &window);
        commands = new DocumentCommands(dispatcher, *context, m_preview, recentFiles, dialogs, window);
        dispatcher.setUnknownHandler(
            [](const QString &handler) { ADD_FAILURE() << "no handler " << handler.toStdString(); });
        window.show();
    }

    void TearDown() override { QDir::setCurrent(m_savedCurrentPath); }

    EditorStack *editor() const { return m_editor; }
    EditorAdapter adapter() const { return EditorAdapter(*editor()); }
    Document &page() { return m_page; }
    PreviewSession &session() { return m_preview; }
    QString workPath(const QString &name) const { return QDir(work.path()).filePath(name); }

    // A document of the scratch folder, as a full path; its folder is created.
    QString document(const QString &relative, const QByteArray &bytes)
    {
        const QString path = workPath(relative);
        writeFile(path, bytes);
        return path;
    }

    // Runs the handler of a File menu item, as the window's dispatch does.
    void trigger(const QString &actionName) { dispatcher.run(handlerOf(actionName)); }

    // Unsaved changes are given up when a test opens or drops something else over them.
    void answerUnsavedQuestion()
    {
        if (adapter().isModified())
            dialogs.messageAnswers.enqueue(DialogButton::Ok);
    }

    void open(const QString &path)
    {
        answerUnsavedQuestion();
        dialogs.fileAnswers.enqueue(path);
        trigger(QStringLiteral("Open"));
    }

    // A preview file of this run in folder, as 反映 leaves it.
    QString writePreview(const QString &folder)
    {
        const QString path = QDir(folder).filePath(m_preview.previewName);
        writeFile(path, "preview");
        m_preview.previewWritten = path;
        return path;
    }

    void saveAs(const QString &path)
    {
        dialogs.fileAnswers.enqueue(path);
        trigger(QStringLiteral("SaveAs1"));
    }

    // Files dropped on the window, as its drop event hands them over.
    void drop(const QStringList &paths)
    {
        answerUnsavedQuestion();
        dispatcher.guard([&] { commands->dropFiles(paths); });
    }

    void type(const QString &text) { adapter().replaceSelection(text); }

    QString caption() const { return window.windowTitle(); }
    QString recentSlot(int index) const { return recentFiles.entries().at(index); }
    QStringList errors() const { return errorsShown(dialogs); }
    QString previewIn(const QString &folder) const { return QDir(folder).filePath(m_preview.previewName); }

    QTemporaryDir work;
    ScriptedUserDialogs dialogs;
    // Before the window: the editor, its child, shows the page's text.
    Document m_page;
    QWidget window;
    PreviewSession m_preview;
    RecentFileList recentFiles;
    CommandDispatcher dispatcher{dialogs, window};
    DocumentCommands *commands = nullptr;

private:
    EditorStack *m_editor = nullptr;
    QString m_savedCurrentPath;
};

// The document events of the real main window: files dropped on it or on its pane, the file
// named on the command line, and the question before closing.
class DocumentWindowTest : public MainWindowFixture
{
protected:
    EditorStack *editor() const { return window->view().editor; }
    EditorAdapter adapter() const { return EditorAdapter(*editor()); }
    const Document &page() const { return window->document(); }
    const PreviewSession &session() const { return window->previewSession(); }
    QString document(const QString &relative, const QByteArray &bytes)
    {
        const QString path = workPath(relative);
        writeFile(path, bytes);
        return path;
    }
    void type(const QString &text) { adapter().replaceSelection(text); }
    QString caption() const { return window->windowTitle(); }
    QString recentSlot(int index) const { return action(MainMenu::recentSlotName(index))->text(); }
    QStringList errors() const { return errorsShown(dialogs); }
    QString previewIn(const QString &folder) const { return QDir(folder).filePath(session().previewName); }
    void open(const QString &path)
    {
        dialogs.fileAnswers.enqueue(path);
        trigger(QStringLiteral("Open"));
    }

    void drop(QWidget *target, const QStringList &paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls.append(QUrl::fromLocalFile(path));
        mime.setUrls(urls);
        // As a drag from the desktop arrives: the target accepts the entering drag, then the drop.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
    }
};

namespace {

// "日本語<b>\\</b>" in CP932, with CR LF line ends: a plain page.
const QByteArray kPlainPage("<p>\x93\xfa\x96\x7b\x8c\xea \x95\x5c</p>\r\n");
const QString kPlainPageText = QStringLiteral("<p>日本語 表</p>\r\n");
const QByteArray kRichPage(
    "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 Gothic;}}\\f0 {\\b \\'91\\'be\\'8e\\'9a} plain\\par}");

} // namespace

// --- Every kind of document, edited in its own view ----------------------------------------------

// Each kind opens in the view made for it, takes a key typed at the caret, and is written back
// as it was read with the key added: same encoding, same BOM, same line ends (CR LF, LF or CR). A rich document
// read again and saved again gives the same bytes.
TEST_F(DocumentCommandsTest, EveryKindOpensEditsSavesAndReopensByteExact)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        EditorKind kind;
    } kinds[] = {
        {"page.htm", kPlainPage, EditorKind::Source},
        {"page.html", "\xEF\xBB\xBF<p>\xE6\x97\xA5\xE6\x9C\xAC</p>\r\n<br>\r\n", EditorKind::Source},
        {"notes.txt", "\x93\xfa\x96\x7b\r\n\r\nend", EditorKind::Source},
        {"form.cgi", "#!/usr/bin/perl\r\nprint \"\x95\x5c\";\r\n", EditorKind::Source},
        {"script.pl", "use strict;\r\n", EditorKind::Source},
        {"unix.cgi", "#!/usr/bin/perl\nprint \"\x95\x5c\";\n", EditorKind::Source},
        {"old-mac.txt", "\x93\xfa\x96\x7b\r\rend\r", EditorKind::Source},
        {"page.asp", "<% Response.Write(\"\x93\xfa\") %>\r\n", EditorKind::Source},
        {"letter.rtf", kRichPage, EditorKind::RichText},
    };
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString path = document(QString::fromLatin1(kind.name), kind.bytes);
        open(path);
        ASSERT_EQ(editor()->kind(), kind.kind);
        EXPECT_EQ(editor()->view().objectName(), QStringLiteral("RichEdit1"));
        const QString opened = adapter().text();

        QTest::keyClick(&editor()->view(), Qt::Key_X, Qt::NoModifier);
        trigger(QStringLiteral("Save1"));
        ASSERT_TRUE(errors().isEmpty()) << errors().join(u'\n').toStdString();
        EXPECT_FALSE(adapter().isModified());

        const QByteArray saved = readFile(path);
        if (kind.kind == EditorKind::Source) {
            const bool bom = kind.bytes.startsWith("\xEF\xBB\xBF");
            EXPECT_EQ(saved, kind.bytes.left(bom ? 3 : 0) + "x" + kind.bytes.mid(bom ? 3 : 0));
        }
        open(path);
        EXPECT_EQ(editor()->kind(), kind.kind);
        EXPECT_EQ(adapter().text(), QStringLiteral("x") + opened);
        trigger(QStringLiteral("Save1"));
        EXPECT_EQ(readFile(path), saved);
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

// --- States and captions -----------------------------------------------------------------------

TEST_F(DocumentCommandsTest, OpenShowsTheDocumentAndMakesItsFolderCurrent)
{
    const QString path = document(QStringLiteral("site/index.htm"), kPlainPage);

    open(path);

    EXPECT_EQ(adapter().text(), kPlainPageText);
    EXPECT_EQ(page().path(), path);
    EXPECT_EQ(caption(), titled(path));
    EXPECT_FALSE(adapter().isModified());
    EXPECT_FALSE(page().readsPlainText());
    EXPECT_EQ(session().previewDir, folderOf(path));
    EXPECT_EQ(QDir::currentPath() + QLatin1Char('/'), folderOf(path));
    EXPECT_EQ(recentSlot(0), path);
    EXPECT_EQ(window.focusWidget(), &editor()->view());
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    const FileDialogRequest &request = dialogs.fileRequests.first();
    EXPECT_EQ(request.mode, FileDialogRequest::Mode::Open);
    EXPECT_EQ(request.filters.size(), 7);
    EXPECT_EQ(request.filterIndex, 0);
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("htm"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "nothing unsaved, nothing to ask";
}

TEST_F(DocumentCommandsTest, CancelledOpenChangesNothing)
{
    type(QStringLiteral("draft"));
    dialogs.fileAnswers.enqueue(std::nullopt);
    trigger(QStringLiteral("Open"));

    EXPECT_EQ(adapter().text(), QStringLiteral("draft"));
    EXPECT_TRUE(adapter().isModified());
    EXPECT_EQ(caption(), QStringLiteral("QZWeb"));
    EXPECT_TRUE(session().previewDir.isEmpty());
    EXPECT_EQ(QDir::currentPath(), QDir(work.path()).absolutePath());
}

TEST_F(DocumentCommandsTest, NewEmptiesTheEditorButKeepsFolderAndReadMode)
{
    const QString path = document(QStringLiteral("site/index.htm"), kPlainPage);
    open(path);
    type(QStringLiteral("changed"));
    const QString folder = QDir::currentPath();
    answerUnsavedQuestion();

    trigger(QStringLiteral("New1"));

    EXPECT_TRUE(adapter().text().isEmpty());
    EXPECT_TRUE(page().path().isEmpty());
    EXPECT_EQ(caption(), QStringLiteral("QZWeb"));
    EXPECT_FALSE(adapter().isModified());
    EXPECT_EQ(session().previewDir, folderOf(path));
    EXPECT_EQ(QDir::currentPath(), folder);
    EXPECT_FALSE(page().readsPlainText());
    EXPECT_EQ(dialogs.messages.size(), 1) << "only the question about the unsaved change";
}

TEST_F(DocumentCommandsTest, SaveAsTitlesTheDocumentAndSaveWritesInPlace)
{
    type(QStringLiteral("<p>一</p>"));
    const QString path = workPath(QStringLiteral("out/page.htm"));
    QDir().mkpath(QFileInfo(path).absolutePath());

    saveAs(path);

    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests.first().mode, FileDialogRequest::Mode::Save);
    EXPECT_TRUE(dialogs.fileRequests.first().fileName.isEmpty());
    EXPECT_FALSE(dialogs.fileRequests.first().confirmOverwrite);
    EXPECT_EQ(readFile(path), QByteArray("<p>\x88\xea</p>"));
    EXPECT_EQ(caption(), titled(path));
    EXPECT_EQ(page().path(), path);
    EXPECT_EQ(session().previewDir, folderOf(path));
    EXPECT_EQ(QDir::currentPath() + QLatin1Char('/'), folderOf(path));
    EXPECT_EQ(recentSlot(0), path);
    EXPECT_FALSE(adapter().isModified());

    type(QStringLiteral("\r\n<p>二</p>"));
    trigger(QStringLiteral("Save1"));

    EXPECT_EQ(dialogs.fileRequests.size(), 1) << "Save on an existing file shows no dialog";
    EXPECT_EQ(readFile(path), QByteArray("<p>\x88\xea</p>\r\n<p>\x93\xf1</p>"));
    EXPECT_FALSE(adapter().isModified());
    EXPECT_EQ(recentSlot(1), QString()) << "Save adds nothing to the recent files";
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(DocumentCommandsTest, SaveBecomesSaveAsForUntitledOrVanishedDocuments)
{
    type(QStringLiteral("text"));
    dialogs.fileAnswers.enqueue(std::nullopt);
    trigger(QStringLiteral("Save1"));
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_TRUE(dialogs.fileRequests.last().fileName.isEmpty());
    EXPECT_TRUE(adapter().isModified());

    const QString path = document(QStringLiteral("gone.htm"), "old");
    open(path);
    type(QStringLiteral("x"));
    QFile::remove(path);
    dialogs.fileAnswers.enqueue(std::nullopt);
    trigger(QStringLiteral("Save1"));

    ASSERT_EQ(dialogs.fileRequests.size(), 3);
    EXPECT_EQ(dialogs.fileRequests.last().mode, FileDialogRequest::Mode::Save);
    EXPECT_EQ(dialogs.fileRequests.last().fileName, path);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(DocumentWindowTest, DroppedFileOpensAsPlainTextWithoutMovingTheCurrentFolder)
{
    const QString first = document(QStringLiteral("drop/first.rtf"), kRichPage);
    const QString second = document(QStringLiteral("drop/second.htm"), "second");
    const QString previewFile = previewIn(work.path());
    writeFile(previewFile, "preview");

    drop(window.get(), {first, second, workPath(QStringLiteral("drop/third.htm"))});

    EXPECT_EQ(adapter().text(), QString::fromLatin1(kRichPage)) << "the RTF source, as plain text";
    EXPECT_TRUE(page().readsPlainText());
    EXPECT_FALSE(editor()->isRichText());
    EXPECT_EQ(page().path(), first);
    EXPECT_EQ(caption(), titled(first));
    EXPECT_FALSE(adapter().isModified());
    EXPECT_EQ(window->focusWidget(), &editor()->view());
    EXPECT_EQ(session().previewDir, folderOf(first)) << "the preview goes beside the page";
    EXPECT_EQ(QDir::currentPath(), QDir(work.path()).absolutePath());
    EXPECT_TRUE(QFile::exists(previewFile)) << "not this run's: a page of the user's";
    EXPECT_EQ(recentSlot(0), QString());
    EXPECT_TRUE(dialogs.messages.isEmpty());

    drop(editor()->view().viewport(), {second});
    EXPECT_EQ(adapter().text(), QStringLiteral("second"));
    EXPECT_EQ(caption(), titled(second));
}

TEST_F(DocumentCommandsTest, DropTakesTheWholeOfALongPath)
{
    // Cutting the path at 254 characters would open another file, or none.
    const QString longFolder = QString(QStringLiteral("folder-with-a-long-name-")).repeated(4);
    const QString path = document(longFolder + QLatin1Char('/') + longFolder + QLatin1Char('/') + longFolder
                                      + QStringLiteral("/page.htm"),
                                  "long");
    ASSERT_GT(path.size(), 254);

    drop({path});

    EXPECT_EQ(page().path(), path);
    EXPECT_EQ(adapter().text(), QStringLiteral("long"));
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(DocumentWindowTest, CommandLineFileOpensAsOpenDoes)
{
    const QString path = document(QStringLiteral("cli/page.htm"), kPlainPage);

    window->openStartupFile(QStringLiteral("cli/page.htm"));

    EXPECT_EQ(page().path(), path);
    EXPECT_EQ(caption(), titled(path));
    EXPECT_EQ(adapter().text(), kPlainPageText);
    EXPECT_EQ(session().previewDir, folderOf(path));
    EXPECT_EQ(recentSlot(0), path);
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());

    window->openStartupFile(workPath(QStringLiteral("cli/missing.htm")));
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors().first().startsWith(
        QStringLiteral("ファイル %1 は開けません").arg(workPath(QStringLiteral("cli/missing.htm")))));
    EXPECT_EQ(page().path(), path);
}

// --- The rich-text rule ------------------------------------------------------------------------

TEST_F(DocumentCommandsTest, OnlyALowerCaseRtfNameIsWrittenAsRichText)
{
    const struct
    {
        const char *name;
        bool rich;
    } cases[] = {
        {"page.rtf", true},
        {"page.RTF", false},
        {"page.htm", false},
        {"page.txt", false},
    };
    type(QStringLiteral("表"));
    for (const auto &c : cases) {
        const QString path = workPath(QString::fromLatin1(c.name));
        saveAs(path);
        const QByteArray written = readFile(path);
        EXPECT_EQ(written.startsWith("{\\rtf1"), c.rich) << c.name;
        EXPECT_EQ(page().readsPlainText(), !c.rich) << c.name;
        if (!c.rich) {
            EXPECT_EQ(written, QByteArray("\x95\x5c")) << c.name;
        }
    }
}

TEST_F(DocumentCommandsTest, OpenShowsRichTextFormattedAndOtherFilesPlain)
{
    const QString rich = document(QStringLiteral("rich.rtf"), kRichPage);
    open(rich);

    EXPECT_EQ(editor()->toPlainText(), QStringLiteral("太字 plain\n"));
    EXPECT_TRUE(editor()->isRichText());
    const QTextFragment first = editor()->document()->begin().begin().fragment();
    EXPECT_EQ(first.text(), QStringLiteral("太字"));
    EXPECT_GE(first.charFormat().fontWeight(), QFont::Bold);

    // A file named .rtf that is no rich text is shown as what it is.
    const QString fake = document(QStringLiteral("fake.rtf"), kPlainPage);
    open(fake);
    EXPECT_EQ(adapter().text(), kPlainPageText);
    EXPECT_FALSE(editor()->isRichText());
    EXPECT_EQ(editor()->document()->begin().begin().fragment().charFormat().fontWeight(), QFont::Normal)
        << "nothing of the previous rich document's format remains";

    // Written back as .rtf and read again, the formatting survives the window's round trip.
    open(rich);
    const QString copy = workPath(QStringLiteral("copy.rtf"));
    saveAs(copy);
    open(copy);
    EXPECT_EQ(editor()->toPlainText(), QStringLiteral("太字 plain\n"));
    EXPECT_GE(editor()->document()->begin().begin().fragment().charFormat().fontWeight(), QFont::Bold);
}

// --- The three questions -----------------------------------------------------------------------

TEST_F(DocumentCommandsTest, EmptyDocumentSaveGoesOnOnlyWithYes)
{
    const struct
    {
        DialogButton answer;
        bool written;
    } cases[] = {
        {DialogButton::Yes, true},
        {DialogButton::No, false},
        {DialogButton::Cancel, false},
    };
    for (const auto &c : cases) {
        const QString path = document(QStringLiteral("empty.htm"), "old");
        open(path);
        editor()->selectAll();
        editor()->textCursor().removeSelectedText();
        adapter().setModified(true);
        dialogs.messages.clear();
        dialogs.messageAnswers.enqueue(c.answer);

        trigger(QStringLiteral("Save1"));

        ASSERT_EQ(dialogs.messages.size(), 1);
        const MessageBoxRequest &question = dialogs.messages.first();
        EXPECT_EQ(question.title, QStringLiteral("確認"));
        EXPECT_EQ(question.text, kEmptyQuestion);
        EXPECT_EQ(question.icon, DialogIcon::Question);
        EXPECT_EQ(question.buttons, kYesNoCancel);
        EXPECT_EQ(question.defaultButton, DialogButton::Cancel) << "はい would empty the file on disk";
        EXPECT_EQ(readFile(path), c.written ? QByteArray() : QByteArray("old"));
        EXPECT_EQ(adapter().isModified(), !c.written);
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(DocumentCommandsTest, OverwriteGoesOnOnlyWithYesButThePreviewFileIsGoneEitherWay)
{
    const struct
    {
        DialogButton answer;
        bool written;
    } cases[] = {
        {DialogButton::Yes, true},
        {DialogButton::No, false},
        {DialogButton::Cancel, false},
    };
    for (const auto &c : cases) {
        const QString source = document(QStringLiteral("a/source.htm"), "source");
        open(source);
        type(QStringLiteral("edited "));
        const QString preview = writePreview(workPath(QStringLiteral("a")));
        const QString target = document(QStringLiteral("b/target.htm"), "target");
        dialogs.messages.clear();
        dialogs.messageAnswers.enqueue(c.answer);

        saveAs(target);

        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages.first().text, QStringLiteral("OK を押すと %1 を上書きします。").arg(target));
        EXPECT_EQ(dialogs.messages.first().title, QStringLiteral("確認"));
        EXPECT_EQ(dialogs.messages.first().buttons, kYesNoCancel);
        EXPECT_EQ(dialogs.messages.first().defaultButton, DialogButton::Cancel);
        EXPECT_FALSE(QFile::exists(preview));
        EXPECT_EQ(readFile(target), c.written ? QByteArray("edited source") : QByteArray("target"));
        EXPECT_EQ(page().path(), c.written ? target : source);
        EXPECT_EQ(caption(), titled(c.written ? target : source));
        EXPECT_EQ(session().previewDir, folderOf(c.written ? target : source));
        EXPECT_EQ(adapter().isModified(), !c.written);
    }
}

TEST_F(DocumentWindowTest, CloseQuestionOnlyWithUnsavedChanges)
{
    const struct
    {
        const char *name;
        bool modified;
        std::optional<DialogButton> answer;
        bool closes;
    } cases[] = {
        {"saved", false, std::nullopt, true},
        {"answered OK", true, DialogButton::Ok, true},
        {"answered cancel", true, DialogButton::Cancel, false},
    };
    for (const auto &c : cases) {
        SetUp();
        // Not this run's preview: a page of the user's under the same name outlives the close.
        const QString usersPage = previewIn(work.path());
        writeFile(usersPage, "users page");
        if (c.modified)
            type(QStringLiteral("unsaved"));
        if (c.answer)
            dialogs.messageAnswers.enqueue(*c.answer);
        QSignalSpy closed(window.get(), &MainWindow::closed);

        window->close();

        EXPECT_EQ(closed.size(), c.closes ? 1 : 0) << c.name;
        EXPECT_EQ(window->isVisible(), !c.closes) << c.name;
        EXPECT_EQ(readFile(usersPage), QByteArray("users page")) << c.name;
        ASSERT_EQ(dialogs.messages.size(), c.modified ? 1 : 0) << c.name;
        if (c.modified) {
            EXPECT_EQ(dialogs.messages.first().text, kCloseQuestion);
            EXPECT_EQ(dialogs.messages.first().title, QStringLiteral("確認"));
            EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Question);
            EXPECT_EQ(dialogs.messages.first().buttons, (QList<DialogButton>{DialogButton::Ok, DialogButton::Cancel}));
            EXPECT_EQ(dialogs.messages.first().defaultButton, DialogButton::Cancel) << "a stray Enter keeps the work";
        }
        EXPECT_EQ(adapter().text(), c.modified ? QStringLiteral("unsaved") : QString()) << "nothing is saved";
        TearDown();
        dialogs.messages.clear();
    }
}

TEST_F(DocumentCommandsTest, TheCloseQuestionTakesThisRunsPreviewAwayWhateverTheAnswer)
{
    for (const DialogButton answer : {DialogButton::Ok, DialogButton::Cancel}) {
        const QString preview = writePreview(work.path());
        type(QStringLiteral("unsaved"));
        dialogs.messageAnswers.enqueue(answer);
        EXPECT_EQ(commands->closeQuery(), answer == DialogButton::Ok);
        EXPECT_FALSE(QFile::exists(preview));
        EXPECT_TRUE(session().previewWritten.isEmpty());
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(DocumentWindowTest, StatusBarShowsHowTheDocumentIsWritten)
{
    auto *bar = control<StatusBar>(QStringLiteral("StatusBar1"));
    auto *panel = control<QLabel>(QStringLiteral("EncodingPanel"));
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(panel, nullptr);
    const QString credit = bar->panelText(1);
    EXPECT_FALSE(panel->accessibleDescription().isEmpty());
    EXPECT_EQ(bar->panelText(StatusBar::kEncodingPanel), QStringLiteral("Shift_JIS"));

    const QString bom = document(QStringLiteral("bom.htm"), "\xef\xbb\xbf<p>\xe6\x97\xa5</p>");
    const QString utf8 = document(QStringLiteral("utf8.htm"), "<meta charset=\"UTF-8\"><p>caf\xc3\xa9</p>");
    const QString sjis = document(QStringLiteral("sjis.htm"), "<p>x</p>");
    const struct
    {
        const char *step;
        std::function<void()> run;
        QString shown;
    } steps[] = {
        {"open with a byte order mark", [&] { open(bom); }, QStringLiteral("UTF-8 (BOM)")},
        {"new", [&] { trigger(QStringLiteral("New1")); }, QStringLiteral("Shift_JIS")},
        {"drop", [&] { drop(window.get(), {utf8}); }, QStringLiteral("UTF-8")},
        {"save as rich text",
         [&] {
             dialogs.fileAnswers.enqueue(workPath(QStringLiteral("rich.rtf")));
             trigger(QStringLiteral("SaveAs1"));
         },
         QStringLiteral("RTF")},
        {"page skeleton",
         [&] {
             dialogs.messageAnswers.enqueue(DialogButton::Yes);
             trigger(QStringLiteral("HTML1"));
         },
         QStringLiteral("Shift_JIS")},
        {"open Shift_JIS", [&] { open(sjis); }, QStringLiteral("Shift_JIS")},
        {"save going over to UTF-8",
         [&] {
             editor()->moveCursor(QTextCursor::End);
             type(QStringLiteral("\u00e9"));
             dialogs.messageAnswers.enqueue(DialogButton::Yes);
             trigger(QStringLiteral("Save1"));
         },
         QStringLiteral("UTF-8 (BOM)")},
    };
    for (const auto &step : steps) {
        step.run();
        EXPECT_EQ(bar->panelText(StatusBar::kEncodingPanel), step.shown) << step.step;
        EXPECT_EQ(bar->panelText(1), credit) << step.step;
    }
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(DocumentWindowTest, PageSkeletonIsAnUnsavedChangeAndRenamesTheWindow)
{
    const QString path = document(QStringLiteral("page.htm"), "page");
    open(path);
    ASSERT_EQ(window->accessibleName(), titled(path));
    dialogs.messageAnswers.enqueue(DialogButton::Yes);
    trigger(QStringLiteral("HTML1"));
    EXPECT_EQ(caption(), QStringLiteral("QZWeb"));
    EXPECT_EQ(window->accessibleName(), QStringLiteral("QZWeb"));
    EXPECT_TRUE(adapter().isModified());

    dialogs.messages.clear();
    dialogs.messageAnswers.enqueue(DialogButton::Cancel);
    window->close();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, kCloseQuestion);
    EXPECT_TRUE(window->isVisible());
}

// --- Preview-file deletion ---------------------------------------------------------------------

TEST_F(DocumentCommandsTest, OpenAndSaveAsDeleteThePreviewOfTheOldFolderOnly)
{
    const QString first = document(QStringLiteral("one/page.htm"), "one");
    const QString second = document(QStringLiteral("two/page.htm"), "two");
    open(first);
    const QString oldPreview = writePreview(workPath(QStringLiteral("one")));
    // A page of the user's that happens to carry the preview's name is no preview of this run.
    const QString usersPage = previewIn(workPath(QStringLiteral("two")));
    writeFile(usersPage, "users page");

    open(second);
    EXPECT_FALSE(QFile::exists(oldPreview));
    EXPECT_EQ(readFile(usersPage), QByteArray("users page"));

    QFile::remove(usersPage);
    const QString newPreview = writePreview(workPath(QStringLiteral("two")));
    writeFile(oldPreview, "old");
    type(QStringLiteral("x"));
    trigger(QStringLiteral("Save1"));
    EXPECT_TRUE(QFile::exists(newPreview)) << "Save does not delete it";

    saveAs(workPath(QStringLiteral("one/copy.htm")));
    EXPECT_FALSE(QFile::exists(newPreview)) << "PreviewDir was still the second folder";
    EXPECT_TRUE(QFile::exists(oldPreview));
}

// Whatever replaces the document in the editor, or moves it: the preview of the page it leaves
// must not stay behind in the user's folder.
TEST_F(DocumentCommandsTest, EveryCommandThatLeavesThePageDeletesItsPreview)
{
    const QString page = document(QStringLiteral("site/page.htm"), "<p>page</p>");
    const QString other = document(QStringLiteral("other/other.htm"), "<p>other</p>");
    ASSERT_TRUE(QDir().mkpath(workPath(QStringLiteral("elsewhere"))));
    open(other); // so that the recent list's second slot is the other page
    const struct
    {
        const char *command;
        std::function<void()> run;
    } rows[] = {
        {"New", [&] { trigger(QStringLiteral("New1")); }},
        {"Open", [&] { open(other); }},
        {"a recent file", [&] { dispatcher.run(QStringLiteral("mnuFavoritClick"), 1); }},
        {"a drop", [&] { drop({other}); }},
        {"Save As", [&] { saveAs(workPath(QStringLiteral("elsewhere/page.htm"))); }},
    };
    for (const auto &row : rows) {
        open(page);
        const QString preview = writePreview(workPath(QStringLiteral("site")));
        row.run();
        EXPECT_FALSE(QFile::exists(preview)) << row.command;
        EXPECT_TRUE(session().previewWritten.isEmpty()) << row.command;
    }
    EXPECT_TRUE(errors().isEmpty()) << errors().join(u'\n').toStdString();
    // A drop moves the preview beside the dropped page, so that its links work; the current
    // folder stays.
    open(page);
    drop({other});
    EXPECT_EQ(session().previewDir, folderOf(other));
    EXPECT_EQ(QDir::currentPath() + QLatin1Char('/'), folderOf(page));
}

// --- Recent files --------------------------------------------------------------------------------

TEST_F(DocumentCommandsTest, ARecentSlotOpensItsFileWithoutReorderingTheList)
{
    const QString first = document(QStringLiteral("one/a.htm"), "<p>a</p>");
    const QString second = document(QStringLiteral("two/b.htm"), "<p>b</p>");
    open(first);
    open(second);
    const QString preview = writePreview(workPath(QStringLiteral("two")));
    type(QStringLiteral("edited "));
    dialogs.messages.clear();
    dialogs.messageAnswers.enqueue(DialogButton::Ok);

    dispatcher.run(QStringLiteral("mnuFavoritClick"), 1);

    ASSERT_EQ(dialogs.messages.size(), 1) << "the edits were not saved";
    EXPECT_EQ(adapter().text(), QStringLiteral("<p>a</p>"));
    EXPECT_EQ(page().path(), first);
    EXPECT_EQ(caption(), titled(first));
    EXPECT_FALSE(adapter().isModified());
    EXPECT_EQ(window.focusWidget(), &editor()->view());
    EXPECT_FALSE(QFile::exists(preview));
    EXPECT_EQ(session().previewDir, folderOf(first));
    EXPECT_EQ(QDir::currentPath() + QLatin1Char('/'), folderOf(first));
    EXPECT_EQ(recentFiles.entries().mid(0, 3), (QStringList{second, first, QString()}));

    // A slot whose file has gone, and an empty slot: nothing happens and nothing is said.
    QFile::remove(second);
    dialogs.messages.clear();
    type(QStringLiteral("more "));
    dispatcher.run(QStringLiteral("mnuFavoritClick"), 0);
    dispatcher.run(QStringLiteral("mnuFavoritClick"), 6);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(page().path(), first);
    EXPECT_EQ(adapter().text(), QStringLiteral("more <p>a</p>"));
    EXPECT_EQ(recentSlot(0), second) << "the entry stays in the list";
}

// --- Encodings and line ends -------------------------------------------------------------------

TEST_F(DocumentCommandsTest, UneditedCp932DocumentIsWrittenBackByteForByte)
{
    // 0x5C second bytes, the wave dash, an NEC and an IBM duplicate, half-width kana, an
    // undecodable byte, and CR LF line ends.
    const QByteArray bytes("\x95\x5c\x83\x5c \x81\x60 \x87\x99 \xee\xef \xfa\x40 \xb1\xdf \x80 \\\r\n2\r\n\r\n");
    const QString path = document(QStringLiteral("sjis.htm"), bytes);
    open(path);
    adapter().setModified(true);
    const ino_t before = inodeOf(path);
    dialogs.messageAnswers.enqueue(DialogButton::Yes); // the undecodable byte is asked about

    trigger(QStringLiteral("Save1"));

    EXPECT_NE(inodeOf(path), before) << "written anew";
    EXPECT_EQ(readFile(path), bytes);
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_EQ(dialogs.unexpected, 0);
}

// A file whose bytes did not all read as text is written over only when the user agrees, once;
// the question says what happens to those bytes. Another file is written without asking.
TEST_F(DocumentCommandsTest, WritingOverBytesThatDidNotReadAsTextAsksFirst)
{
    const struct
    {
        const char *name;
        QByteArray stored;
        const char *says;
        QByteArray written; // after "x" typed at the start
    } cases[] = {
        {"cp932", "<p>\x93\xfa\x80</p>\r\n", "Shift_JIS の文字として読めないバイト", "x<p>\x93\xfa\x80</p>\r\n"},
        {"utf8", "\xef\xbb\xbf<p>\xff</p>\n", "UTF-8 の文字として読めないバイト", "\xef\xbb\xbfx<p>\xef\xbf\xbd</p>\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = document(QStringLiteral("damaged-%1.htm").arg(QLatin1String(c.name)), c.stored);
        open(path);
        ASSERT_TRUE(errors().isEmpty());
        adapter().setCaret(0);
        type(QStringLiteral("x"));
        dialogs.messages.clear();

        dialogs.messageAnswers.enqueue(DialogButton::No);
        trigger(QStringLiteral("Save1"));
        EXPECT_EQ(readFile(path), c.stored) << "declined: the file keeps its bytes";
        EXPECT_TRUE(adapter().isModified());
        ASSERT_EQ(dialogs.messages.size(), 1);
        const MessageBoxRequest &question = dialogs.messages.first();
        EXPECT_EQ(question.title, QStringLiteral("確認"));
        EXPECT_EQ(question.buttons, kYesNoCancel);
        EXPECT_EQ(question.defaultButton, DialogButton::Cancel);
        EXPECT_TRUE(question.text.contains(QString::fromUtf8(c.says))) << question.text.toStdString();
        EXPECT_TRUE(question.text.contains(path));

        // Save As to another file leaves the damaged one alone and needs no question.
        const QString copy = workPath(QStringLiteral("copy-%1.htm").arg(QLatin1String(c.name)));
        saveAs(copy);
        EXPECT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(readFile(copy), c.written);
        EXPECT_EQ(readFile(path), c.stored);

        open(path);
        adapter().setCaret(0);
        type(QStringLiteral("x"));
        dialogs.messageAnswers.enqueue(DialogButton::Yes);
        trigger(QStringLiteral("Save1"));
        EXPECT_EQ(readFile(path), c.written);
        EXPECT_FALSE(adapter().isModified());
        type(QStringLiteral("y"));
        trigger(QStringLiteral("Save1"));
        EXPECT_EQ(dialogs.messages.size(), 2) << "asked once: the file is now the program's own";
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

// LF and CR stay through Save As and the UTF-8 a character Shift_JIS lacks needs, while the
// editor still counts every line end as CR LF, two positions.
TEST_F(DocumentCommandsTest, LineEndsSurviveSaveAsAndTheUtf8FallbackAndCountAsCrLf)
{
    const QString path = document(QStringLiteral("cgi/form.cgi"), "#!/usr/bin/perl\nprint 1;\n");
    open(path);
    EXPECT_EQ(adapter().text(), QStringLiteral("#!/usr/bin/perl\r\nprint 1;\r\n"));
    adapter().setSelection(QStringLiteral("#!/usr/bin/perl\r\n").size(), 5);
    EXPECT_EQ(adapter().selectedText(), QStringLiteral("print"));

    const QString copy = workPath(QStringLiteral("cgi/copy.cgi"));
    saveAs(copy);
    EXPECT_EQ(readFile(copy), "#!/usr/bin/perl\nprint 1;\n");

    adapter().setCaret(0);
    type(QStringLiteral("\u00e9"));
    dialogs.messageAnswers.enqueue(DialogButton::Yes); // UTF-8 instead
    trigger(QStringLiteral("Save1"));
    EXPECT_EQ(readFile(copy), "\xef\xbb\xbf\xc3\xa9#!/usr/bin/perl\nprint 1;\n");
    EXPECT_EQ(page().format().lineEnd, LineEnd::Lf);

    // A new document is the program's own: CR LF.
    answerUnsavedQuestion();
    trigger(QStringLiteral("New1"));
    type(QStringLiteral("a\r\nb"));
    saveAs(workPath(QStringLiteral("cgi/new.txt")));
    EXPECT_EQ(readFile(workPath(QStringLiteral("cgi/new.txt"))), "a\r\nb");
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(DocumentCommandsTest, LineEndsFollowTheFilesMajorityAndUtf8StaysUtf8)
{
    const struct
    {
        QByteArray stored;
        QString typed;
        QByteArray written;
    } cases[] = {
        {"a\nb\rc\r\nd", QString(), "a\r\nb\r\nc\r\nd"}, // no majority: CR LF
        {"a\nb\rc\nd", QString(), "a\nb\nc\nd"},
        {"\xef\xbb\xbf\xe6\x97\xa5\n", QStringLiteral("é"), "\xef\xbb\xbf\xc3\xa9\xe6\x97\xa5\n"},
        {"\xe6\x97\xa5\xe6\x9c\xac",
         QStringLiteral("😀"),
         "\xf0\x9f\x98\x80"
         "\xe6\x97\xa5\xe6\x9c\xac"},
        {"<meta charset=\"utf-8\">caf\xc3\xa9",
         QStringLiteral("😀"),
         "\xf0\x9f\x98\x80<meta charset=\"utf-8\">caf\xc3\xa9"},
    };
    for (const auto &c : cases) {
        const QString path = document(QStringLiteral("lines.htm"), c.stored);
        open(path);
        type(c.typed);
        trigger(QStringLiteral("Save1"));
        EXPECT_EQ(readFile(path), c.written) << c.stored.constData();
    }
    EXPECT_TRUE(errors().isEmpty());
}

// --- Failures and what survives them -----------------------------------------------------------

TEST_F(DocumentCommandsTest, FailedOpenKeepsTheDocumentButHasMovedTheFolder)
{
    const QString path = document(QStringLiteral("kept/page.htm"), "kept");
    open(path);
    type(QStringLiteral("edited "));
    QDir().mkpath(workPath(QStringLiteral("elsewhere/folder.htm")));
    const QString targets[] = {workPath(QStringLiteral("elsewhere/missing.htm")),
                               workPath(QStringLiteral("elsewhere/folder.htm"))};

    for (const QString &target : targets) {
        dialogs.messages.clear();
        open(target);

        ASSERT_EQ(errors().size(), 1) << target.toStdString();
        EXPECT_TRUE(errors().first().startsWith(QStringLiteral("ファイル %1 は開けません").arg(target)))
            << errors().first().toStdString();
        EXPECT_EQ(adapter().text(), QStringLiteral("edited kept"));
        EXPECT_TRUE(adapter().isModified());
        EXPECT_EQ(page().path(), path);
        EXPECT_EQ(caption(), titled(path));
        EXPECT_EQ(recentSlot(0), path);
        EXPECT_EQ(session().previewDir, workPath(QStringLiteral("elsewhere/")));
        EXPECT_EQ(QDir::currentPath(), workPath(QStringLiteral("elsewhere")));
    }
}

// Files that are no text (a PDF, a ZIP such as an Office document) are refused by Open and by a
// drop alike, before the page is touched; a picture dropped on the page goes into it instead of
// replacing it, on the editor at the drop point, elsewhere on the window at the caret.
TEST_F(DocumentWindowTest, NoTextIsOpenedAndPicturesGoIntoThePage)
{
    const QString path = document(QStringLiteral("site/page.htm"), "<p>page</p>");
    open(path);
    const QByteArray pdf = "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Filter /FlateDecode >>\nstream\n"
        + qCompress(QByteArray("BT /F1 12 Tf (Hello) Tj ET").repeated(10)) + "\nendstream\n";
    const QByteArray zip = QByteArray("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10) + "word/document.xml";
    const QString refused[] = {document(QStringLiteral("site/manual.pdf"), pdf),
                               document(QStringLiteral("site/letter.docx"), zip)};
    for (const QString &file : refused) {
        for (const bool byDrop : {false, true}) {
            dialogs.messages.clear();
            if (byDrop)
                drop(editor()->view().viewport(), {file});
            else
                open(file);
            ASSERT_EQ(errors().size(), 1) << file.toStdString();
            EXPECT_TRUE(errors().first().startsWith(QStringLiteral("ファイル %1 は開けません\n").arg(file)));
            EXPECT_TRUE(errors().first().contains(QStringLiteral("テキストではないファイル")));
            EXPECT_EQ(page().path(), path);
            EXPECT_EQ(adapter().text(), QStringLiteral("<p>page</p>"));
            EXPECT_FALSE(adapter().isModified());
        }
    }

    // The picture the page was once replaced by: a PNG from the page's folder.
    QImage image(7, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString picture = workPath(QStringLiteral("site/mike.png"));
    ASSERT_TRUE(image.save(picture, "png"));
    const QString tag = QStringLiteral("<img src=\"mike.png\" width=\"7\" height=\"3\" alt=\"\">");
    dialogs.messages.clear();
    drop(editor()->view().viewport(), {picture}); // at the start of the text
    EXPECT_EQ(adapter().text(), tag + QStringLiteral("<p>page</p>"));
    adapter().setCaret(int(adapter().text().size()));
    drop(window.get(), {picture});
    EXPECT_EQ(adapter().text(), tag + QStringLiteral("<p>page</p>") + tag);
    EXPECT_EQ(page().path(), path);
    EXPECT_TRUE(adapter().isModified());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(DocumentWindowTest, FailedDropChangesNothing)
{
    const QString path = document(QStringLiteral("page.htm"), "page");
    open(path);

    drop(window.get(), {workPath(QStringLiteral("missing.htm"))});

    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors().first().startsWith(
        QStringLiteral("ファイル %1 は開けません").arg(workPath(QStringLiteral("missing.htm")))));
    EXPECT_EQ(page().path(), path);
    EXPECT_EQ(caption(), titled(path));
    EXPECT_EQ(adapter().text(), QStringLiteral("page"));
}

TEST_F(DocumentCommandsTest, CharactersShiftJisCannotHoldAreNamedAndUtf8IsOffered)
{
    const QByteArray utf8Bom("\xef\xbb\xbf");
    const QByteArray declared("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-sjis\">\r\n");
    const struct
    {
        const char *name;
        QByteArray stored;
        QString typed; // at the end of the page
        DialogButton answer;
        QStringList named; // what the question names, in order
        QString more;      // the count of the rest, when some are not named
        bool mentionsDeclaration;
        QByteArray written; // empty: the file keeps what was stored
    } cases[] = {
        {"declined",
         "line one\r\n",
         QStringLiteral("caf\u00e9"),
         DialogButton::No,
         {QStringLiteral("「é」(U+00E9)\u30002 行目")},
         QString(),
         false,
         QByteArray()},
        // UTF-8 of "café" alone would read back as half-width kana, so it gets the mark.
        {"accepted, Latin",
         "line one\r\n",
         QStringLiteral("caf\u00e9"),
         DialogButton::Yes,
         {QStringLiteral("「é」(U+00E9)\u30002 行目")},
         QString(),
         false,
         utf8Bom + "line one\r\ncaf\xc3\xa9"},
        {"accepted, Korean reads back alone",
         "<p>\x93\xfa</p>\r\n",
         QStringLiteral("\ud55c"),
         DialogButton::Yes,
         {QStringLiteral("「한」(U+D55C)\u30002 行目")},
         QString(),
         false,
         "<p>\xe6\x97\xa5</p>\r\n\xed\x95\x9c"},
        {"declared Shift_JIS",
         declared,
         QStringLiteral("\u00e9"),
         DialogButton::Yes,
         {QStringLiteral("「é」(U+00E9)\u30002 行目")},
         QString(),
         true,
         utf8Bom + declared + "\xc3\xa9"},
        {"many, across lines",
         "a\r\n",
         QStringLiteral("\u00e9\r\n\U0001F600x\u00e8\rb\u00ea\n\u00eb\u00ec\u00ed"),
         DialogButton::No,
         {QStringLiteral("「é」(U+00E9)\u30002 行目"),
          QStringLiteral("「😀」(U+1F600)\u30003 行目"),
          QStringLiteral("「è」(U+00E8)\u30003 行目"),
          QStringLiteral("「ê」(U+00EA)\u30004 行目"),
          QStringLiteral("「ë」(U+00EB)\u30005 行目")},
         QStringLiteral("ほか 2 個"),
         false,
         QByteArray()},
    };
    for (const auto &c : cases) {
        const QString path = document(QStringLiteral("page.htm"), c.stored);
        open(path);
        ASSERT_EQ(page().format().encoding, TextFormat::Encoding::Cp932) << c.name;
        editor()->moveCursor(QTextCursor::End);
        type(c.typed);
        dialogs.messages.clear();
        dialogs.messageAnswers.enqueue(c.answer);

        trigger(QStringLiteral("Save1"));

        ASSERT_EQ(dialogs.messages.size(), 1) << c.name;
        const MessageBoxRequest &asked = dialogs.messages.first();
        EXPECT_EQ(asked.title, QStringLiteral("確認")) << c.name;
        EXPECT_EQ(asked.icon, DialogIcon::Question) << c.name;
        EXPECT_EQ(asked.buttons, (QList<DialogButton>{DialogButton::Yes, DialogButton::No})) << c.name;
        const qsizetype total = c.named.size() + (c.more.isEmpty() ? 0 : 2);
        EXPECT_TRUE(asked.text.contains(QStringLiteral("%1 個あります").arg(total))) << asked.text.toStdString();
        qsizetype from = 0;
        for (const QString &named : c.named) {
            const qsizetype at = asked.text.indexOf(named, from);
            EXPECT_GE(at, from) << c.name << ": " << named.toStdString() << " in order in " << asked.text.toStdString();
            from = qMax(from, at);
        }
        EXPECT_EQ(asked.text.contains(c.more), true) << asked.text.toStdString();
        EXPECT_EQ(c.more.isEmpty(), !asked.text.contains(QStringLiteral("ほか"))) << asked.text.toStdString();
        EXPECT_EQ(asked.text.contains(QStringLiteral("宣言")), c.mentionsDeclaration) << asked.text.toStdString();
        EXPECT_TRUE(asked.text.contains(QStringLiteral("UTF-8 で保存しますか"))) << asked.text.toStdString();
        EXPECT_TRUE(asked.text.endsWith(QStringLiteral("。"))) << asked.text.toStdString();
        EXPECT_TRUE(errors().isEmpty()) << c.name;

        const bool accepted = c.answer == DialogButton::Yes;
        EXPECT_EQ(readFile(path), accepted ? c.written : c.stored) << c.name;
        EXPECT_EQ(adapter().isModified(), !accepted) << c.name;
        EXPECT_EQ(page().format().encoding, accepted ? TextFormat::Encoding::Utf8 : TextFormat::Encoding::Cp932)
            << c.name;
        EXPECT_EQ(QDir(workPath(QString())).entryList(QDir::Files), QStringList{QStringLiteral("page.htm")}) << c.name;
        if (accepted) {
            // Written back as it reads, and the next save asks nothing.
            EXPECT_EQ(TextCodec::decode(readFile(path)).text, adapter().text()) << c.name;
            dialogs.messages.clear();
            adapter().setModified(true);
            trigger(QStringLiteral("Save1"));
            EXPECT_TRUE(dialogs.messages.isEmpty()) << c.name;
            EXPECT_EQ(readFile(path), c.written) << c.name;
        }
    }
}

TEST_F(DocumentCommandsTest, SaveAsDeclinedInShiftJisWritesNothingAndKeepsTheName)
{
    const QString path = document(QStringLiteral("page.htm"), "old");
    open(path);
    type(QStringLiteral("\u00e9"));
    dialogs.messageAnswers.enqueue(DialogButton::No);

    saveAs(workPath(QStringLiteral("other.htm")));

    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_FALSE(QFile::exists(workPath(QStringLiteral("other.htm"))));
    EXPECT_EQ(page().path(), path);
    EXPECT_EQ(caption(), titled(path));
    EXPECT_EQ(recentSlot(0), path);
    EXPECT_TRUE(adapter().isModified());
}

TEST_F(DocumentCommandsTest, SaveAsThatCannotCreateTheFileKeepsEverything)
{
    type(QStringLiteral("text"));
    writeFile(workPath(QStringLiteral("plainfile")), "a file, not a folder");
    QDir().mkpath(workPath(QStringLiteral("folder.htm")));
    const QString targets[] = {workPath(QStringLiteral("plainfile/page.htm")), workPath(QStringLiteral("folder.htm"))};

    for (const QString &target : targets) {
        dialogs.messages.clear();
        saveAs(target);

        ASSERT_EQ(errors().size(), 1) << target.toStdString();
        EXPECT_TRUE(errors().first().startsWith(QStringLiteral("ファイル %1 を作成できません").arg(target)))
            << errors().first().toStdString();
        EXPECT_TRUE(errors().first().endsWith(kUnchangedOnDisk)) << errors().first().toStdString();
        EXPECT_TRUE(page().path().isEmpty());
        EXPECT_EQ(caption(), QStringLiteral("QZWeb"));
        EXPECT_EQ(recentSlot(0), QString());
        EXPECT_TRUE(adapter().isModified());
        EXPECT_TRUE(session().previewDir.isEmpty());
    }
}

namespace {

// Lowers the largest file this process may write, as a full disk would stop it; even root
// is bound by it. Writing past it fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = SIG_DFL;
    bool m_active = false;
};

} // namespace

TEST_F(DocumentCommandsTest, SaveThatFailsMidWayLeavesTheOldFileWhole)
{
    const QByteArray old = QByteArray("<p>old page</p>\r\n").repeated(100);
    const QString path = document(QStringLiteral("site/page.htm"), old);
    open(path);
    editor()->moveCursor(QTextCursor::End);
    type(QString(QStringLiteral("<p>new page, much longer</p>\r\n")).repeated(4000));

    {
        FileSizeLimit limit(8192);
        ASSERT_TRUE(limit.active());
        // The limit bites: a plain write of the same size fails here.
        QFile probe(workPath(QStringLiteral("site/probe")));
        ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
        EXPECT_FALSE(probe.write(QByteArray(100000, 'x')) == 100000 && probe.flush());
        probe.close();
        QFile::remove(probe.fileName());

        trigger(QStringLiteral("Save1"));
    }

    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors().first().startsWith(QStringLiteral("ストリームへの書き込みに失敗しました")))
        << errors().first().toStdString();
    EXPECT_TRUE(errors().first().endsWith(kUnchangedOnDisk)) << errors().first().toStdString();
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(QDir(workPath(QStringLiteral("site"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("page.htm")})
        << "no temporary file is left behind";
    EXPECT_TRUE(adapter().isModified());
    EXPECT_EQ(caption(), titled(path));

    trigger(QStringLiteral("Save1"));
    EXPECT_EQ(readFile(path).size(), old.size() + 4000 * 30);
    EXPECT_FALSE(adapter().isModified());
}

TEST_F(DocumentCommandsTest, SavingKeepsTheFilePermissions)
{
    const QString path = document(QStringLiteral("page.htm"), "old");
    const QFileDevice::Permissions permissions =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    const QFileDevice::Permissions modeBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
        | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
        | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QFile::setPermissions(path, permissions);
    open(path);
    type(QStringLiteral("new "));

    trigger(QStringLiteral("Save1"));

    EXPECT_EQ(readFile(path), QByteArray("new old"));
    EXPECT_EQ(QFile::permissions(path) & modeBits, permissions);
}
