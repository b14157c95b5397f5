// The document commands over a bare pane, state and recent-file list: states and captions, the
// rich-text rule, the three questions and their answers, preview-file deletion, encodings, and
// failures with what survives them. Drops, the command-line file and closing also run through
// the real main window's events. Every dialog is answered by the scripted dialogs.
#include "app/documentcommands.h"
#include "app/mainmenu.h"
#include "app/recentfilelist.h"
#include "authoring/editoradapter.h"
#include "authoring/editorpane.h"
#include "common/commanddispatcher.h"
#include "common/mainstate.h"
#include "support/mainwindowfixture.h"
#include "support/scripteduserdialogs.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QUrl>

#include <sys/resource.h>

#include <csignal>

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

QString titled(const QString &path)
{
    return QStringLiteral("QZWeb [") + path + QLatin1Char(']');
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath() + QLatin1Char('/');
}

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
        m_state.previewName = QStringLiteral("12_34_56.htm");
        window.setWindowTitle(QStringLiteral("QZWeb"));
        m_editor = new EditorPane(&window);
        commands = new DocumentCommands(dispatcher, *m_editor, m_state, recentFiles, dialogs, window);
        dispatcher.setUnknownHandler([](const QString &handler) { ADD_FAILURE() << "no handler " << handler.toStdString(); });
        window.show();
    }

    void TearDown() override { QDir::setCurrent(m_savedCurrentPath); }

    EditorPane *editor() const { return m_editor; }
    EditorAdapter adapter() const { return EditorAdapter(*editor()); }
    MainState &state() { return m_state; }
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

    void open(const QString &path)
    {
        dialogs.fileAnswers.enqueue(path);
        trigger(QStringLiteral("Open"));
    }

    void saveAs(const QString &path)
    {
        dialogs.fileAnswers.enqueue(path);
        trigger(QStringLiteral("SaveAs1"));
    }

    // Files dropped on the window, as its drop event hands them over.
    void drop(const QStringList &paths)
    {
        dispatcher.guard([&] { commands->dropFiles(paths); });
    }

    void type(const QString &text) { adapter().replaceSelection(text); }

    QString caption() const { return window.windowTitle(); }
    QString recentSlot(int index) const { return recentFiles.entries().at(index); }
    QStringList errors() const { return errorsShown(dialogs); }
    QString previewIn(const QString &folder) const { return QDir(folder).filePath(m_state.previewName); }

    QTemporaryDir work;
    ScriptedUserDialogs dialogs;
    QWidget window;
    MainState m_state;
    RecentFileList recentFiles;
    CommandDispatcher dispatcher{dialogs, window};
    DocumentCommands *commands = nullptr;

private:
    EditorPane *m_editor = nullptr;
    QString m_savedCurrentPath;
};

// The document events of the real main window: files dropped on it or on its pane, the file
// named on the command line, and the question before closing.
class DocumentWindowTest : public MainWindowFixture
{
protected:
    EditorPane *editor() const { return window->view().editor; }
    EditorAdapter adapter() const { return EditorAdapter(*editor()); }
    const MainState &state() const { return window->state(); }
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
    QString previewIn(const QString &folder) const { return QDir(folder).filePath(state().previewName); }
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
const QByteArray kRichPage("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 Gothic;}}\\f0 {\\b \\'91\\'be\\'8e\\'9a} plain\\par}");

} // namespace

// --- States and captions -----------------------------------------------------------------------

TEST_F(DocumentCommandsTest, OpenShowsTheDocumentAndMakesItsFolderCurrent)
{
    const QString path = document(QStringLiteral("site/index.htm"), kPlainPage);
    type(QStringLiteral("unsaved work"));

    open(path);

    EXPECT_EQ(adapter().text(), kPlainPageText);
    EXPECT_EQ(state().currentFile, path);
    EXPECT_EQ(caption(), titled(path));
    EXPECT_FALSE(adapter().isModified());
    EXPECT_FALSE(state().plainText);
    EXPECT_EQ(state().previewDir, folderOf(path));
    EXPECT_EQ(QDir::currentPath() + QLatin1Char('/'), folderOf(path));
    EXPECT_EQ(recentSlot(0), path);
    EXPECT_EQ(window.focusWidget(), editor());
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    const FileDialogRequest &request = dialogs.fileRequests.first();
    EXPECT_EQ(request.mode, FileDialogRequest::Mode::Open);
    EXPECT_EQ(request.filters.size(), 7);
    EXPECT_EQ(request.filterIndex, 0);
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("htm"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "no question about the unsaved work";
}

TEST_F(DocumentCommandsTest, CancelledOpenChangesNothing)
{
    type(QStringLiteral("draft"));
    dialogs.fileAnswers.enqueue(std::nullopt);
    trigger(QStringLiteral("Open"));

    EXPECT_EQ(adapter().text(), QStringLiteral("draft"));
    EXPECT_TRUE(adapter().isModified());
    EXPECT_EQ(caption(), QStringLiteral("QZWeb"));
    EXPECT_TRUE(state().previewDir.isEmpty());
    EXPECT_EQ(QDir::currentPath(), QDir(work.path()).absolutePath());
}

TEST_F(DocumentCommandsTest, NewEmptiesTheEditorButKeepsFolderAndReadMode)
{
    const QString path = document(QStringLiteral("site/index.htm"), kPlainPage);
    open(path);
    type(QStringLiteral("changed"));
    const QString folder = QDir::currentPath();

    trigger(QStringLiteral("New1"));

    EXPECT_TRUE(adapter().text().isEmpty());
    EXPECT_TRUE(state().currentFile.isEmpty());
    EXPECT_EQ(caption(), QStringLiteral("QZWeb"));
    EXPECT_FALSE(adapter().isModified());
    EXPECT_EQ(state().previewDir, folderOf(path));
    EXPECT_EQ(QDir::currentPath(), folder);
    EXPECT_FALSE(state().plainText);
    EXPECT_TRUE(dialogs.messages.isEmpty());
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
    EXPECT_EQ(state().currentFile, path);
    EXPECT_EQ(state().previewDir, folderOf(path));
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

TEST_F(DocumentWindowTest, DroppedFileOpensAsPlainTextWithoutMovingFolders)
{
    const QString first = document(QStringLiteral("drop/first.rtf"), kRichPage);
    const QString second = document(QStringLiteral("drop/second.htm"), "second");
    const QString previewFile = previewIn(work.path());
    writeFile(previewFile, "preview");
    type(QStringLiteral("unsaved"));

    drop(window.get(), {first, second, workPath(QStringLiteral("drop/third.htm"))});

    EXPECT_EQ(adapter().text(), QString::fromLatin1(kRichPage)) << "the RTF source, as plain text";
    EXPECT_TRUE(state().plainText);
    EXPECT_FALSE(editor()->acceptRichText());
    EXPECT_EQ(state().currentFile, first);
    EXPECT_EQ(caption(), titled(first));
    EXPECT_FALSE(adapter().isModified());
    EXPECT_EQ(window->focusWidget(), editor());
    EXPECT_TRUE(state().previewDir.isEmpty());
    EXPECT_EQ(QDir::currentPath(), QDir(work.path()).absolutePath());
    EXPECT_TRUE(QFile::exists(previewFile));
    EXPECT_EQ(recentSlot(0), QString());
    EXPECT_TRUE(dialogs.messages.isEmpty());

    drop(editor()->viewport(), {second});
    EXPECT_EQ(adapter().text(), QStringLiteral("second"));
    EXPECT_EQ(caption(), titled(second));
}

TEST_F(DocumentCommandsTest, DropTakesTheWholeOfALongPath)
{
    // Cutting the path at 254 characters would open another file, or none.
    const QString longFolder = QString(QStringLiteral("folder-with-a-long-name-")).repeated(4);
    const QString path = document(longFolder + QLatin1Char('/') + longFolder + QLatin1Char('/') + longFolder + QStringLiteral("/page.htm"), "long");
    ASSERT_GT(path.size(), 254);

    drop({path});

    EXPECT_EQ(state().currentFile, path);
    EXPECT_EQ(adapter().text(), QStringLiteral("long"));
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(DocumentWindowTest, CommandLineFileOpensAsOpenDoes)
{
    const QString path = document(QStringLiteral("cli/page.htm"), kPlainPage);

    window->openStartupFile(QStringLiteral("cli/page.htm"));

    EXPECT_EQ(state().currentFile, path);
    EXPECT_EQ(caption(), titled(path));
    EXPECT_EQ(adapter().text(), kPlainPageText);
    EXPECT_EQ(state().previewDir, folderOf(path));
    EXPECT_EQ(recentSlot(0), path);
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());

    window->openStartupFile(workPath(QStringLiteral("cli/missing.htm")));
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors().first().startsWith(QStringLiteral("ファイル %1 は開けません").arg(workPath(QStringLiteral("cli/missing.htm")))));
    EXPECT_EQ(state().currentFile, path);
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
        EXPECT_EQ(state().plainText, !c.rich) << c.name;
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
    EXPECT_TRUE(editor()->acceptRichText());
    const QTextFragment first = editor()->document()->begin().begin().fragment();
    EXPECT_EQ(first.text(), QStringLiteral("太字"));
    EXPECT_GE(first.charFormat().fontWeight(), QFont::Bold);

    // A file named .rtf that is no rich text is shown as what it is.
    const QString fake = document(QStringLiteral("fake.rtf"), kPlainPage);
    open(fake);
    EXPECT_EQ(adapter().text(), kPlainPageText);
    EXPECT_FALSE(editor()->acceptRichText());
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
        const QString preview = previewIn(workPath(QStringLiteral("a")));
        writeFile(preview, "preview");
        const QString target = document(QStringLiteral("b/target.htm"), "target");
        dialogs.messages.clear();
        dialogs.messageAnswers.enqueue(c.answer);

        saveAs(target);

        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages.first().text, QStringLiteral("OK を押すと %1 を上書きします。").arg(target));
        EXPECT_EQ(dialogs.messages.first().title, QStringLiteral("確認"));
        EXPECT_EQ(dialogs.messages.first().buttons, kYesNoCancel);
        EXPECT_FALSE(QFile::exists(preview));
        EXPECT_EQ(readFile(target), c.written ? QByteArray("edited source") : QByteArray("target"));
        EXPECT_EQ(state().currentFile, c.written ? target : source);
        EXPECT_EQ(caption(), titled(c.written ? target : source));
        EXPECT_EQ(state().previewDir, folderOf(c.written ? target : source));
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
        const QString preview = previewIn(work.path());
        writeFile(preview, "preview");
        if (c.modified)
            type(QStringLiteral("unsaved"));
        if (c.answer)
            dialogs.messageAnswers.enqueue(*c.answer);
        QSignalSpy closed(window.get(), &MainWindow::closed);

        window->close();

        EXPECT_EQ(closed.size(), c.closes ? 1 : 0) << c.name;
        EXPECT_EQ(window->isVisible(), !c.closes) << c.name;
        EXPECT_FALSE(QFile::exists(preview)) << c.name;
        ASSERT_EQ(dialogs.messages.size(), c.modified ? 1 : 0) << c.name;
        if (c.modified) {
            EXPECT_EQ(dialogs.messages.first().text, kCloseQuestion);
            EXPECT_EQ(dialogs.messages.first().title, QStringLiteral("確認"));
            EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Question);
            EXPECT_EQ(dialogs.messages.first().buttons, (QList<DialogButton>{DialogButton::Ok, DialogButton::Cancel}));
        }
        EXPECT_EQ(adapter().text(), c.modified ? QStringLiteral("unsaved") : QString()) << "nothing is saved";
        TearDown();
        dialogs.messages.clear();
    }
}

// --- Preview-file deletion ---------------------------------------------------------------------

TEST_F(DocumentCommandsTest, OpenAndSaveAsDeleteThePreviewOfTheOldFolderOnly)
{
    const QString first = document(QStringLiteral("one/page.htm"), "one");
    const QString second = document(QStringLiteral("two/page.htm"), "two");
    open(first);
    const QString oldPreview = previewIn(workPath(QStringLiteral("one")));
    const QString newPreview = previewIn(workPath(QStringLiteral("two")));
    writeFile(oldPreview, "old");
    writeFile(newPreview, "new");

    open(second);
    EXPECT_FALSE(QFile::exists(oldPreview));
    EXPECT_TRUE(QFile::exists(newPreview));

    writeFile(oldPreview, "old");
    type(QStringLiteral("x"));
    trigger(QStringLiteral("Save1"));
    drop({first});
    EXPECT_TRUE(QFile::exists(newPreview)) << "neither Save nor a drop deletes it";

    saveAs(workPath(QStringLiteral("one/copy.htm")));
    EXPECT_FALSE(QFile::exists(newPreview)) << "PreviewDir was still the second folder";
    EXPECT_TRUE(QFile::exists(oldPreview));
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

    trigger(QStringLiteral("Save1"));

    EXPECT_EQ(readFile(path), bytes);
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(DocumentCommandsTest, LineEndsAreWrittenAsCrLfAndUtf8StaysUtf8)
{
    const struct
    {
        QByteArray stored;
        QString typed;
        QByteArray written;
    } cases[] = {
        {"a\nb\rc\r\nd", QString(), "a\r\nb\r\nc\r\nd"},
        {"\xef\xbb\xbf\xe6\x97\xa5\n", QStringLiteral("é"), "\xef\xbb\xbf\xc3\xa9\xe6\x97\xa5\r\n"},
        {"\xe6\x97\xa5\xe6\x9c\xac", QStringLiteral("😀"), "\xf0\x9f\x98\x80" "\xe6\x97\xa5\xe6\x9c\xac"},
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
    const QString targets[] = {workPath(QStringLiteral("elsewhere/missing.htm")), workPath(QStringLiteral("elsewhere/folder.htm"))};

    for (const QString &target : targets) {
        dialogs.messages.clear();
        open(target);

        ASSERT_EQ(errors().size(), 1) << target.toStdString();
        EXPECT_TRUE(errors().first().startsWith(QStringLiteral("ファイル %1 は開けません").arg(target))) << errors().first().toStdString();
        EXPECT_EQ(adapter().text(), QStringLiteral("edited kept"));
        EXPECT_TRUE(adapter().isModified());
        EXPECT_EQ(state().currentFile, path);
        EXPECT_EQ(caption(), titled(path));
        EXPECT_EQ(recentSlot(0), path);
        EXPECT_EQ(state().previewDir, workPath(QStringLiteral("elsewhere/")));
        EXPECT_EQ(QDir::currentPath(), workPath(QStringLiteral("elsewhere")));
    }
}

TEST_F(DocumentWindowTest, FailedDropChangesNothing)
{
    const QString path = document(QStringLiteral("page.htm"), "page");
    open(path);

    drop(window.get(), {workPath(QStringLiteral("missing.htm"))});

    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors().first().startsWith(QStringLiteral("ファイル %1 は開けません").arg(workPath(QStringLiteral("missing.htm")))));
    EXPECT_EQ(state().currentFile, path);
    EXPECT_EQ(caption(), titled(path));
    EXPECT_EQ(adapter().text(), QStringLiteral("page"));
}

TEST_F(DocumentCommandsTest, CharacterTheEncodingCannotHoldStopsTheSave)
{
    const QString path = document(QStringLiteral("page.htm"), "line one\r\n");
    open(path);
    editor()->moveCursor(QTextCursor::End);
    type(QStringLiteral("caf\u00e9"));

    trigger(QStringLiteral("Save1"));

    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors().first().contains(QStringLiteral("「é」"))) << errors().first().toStdString();
    EXPECT_TRUE(errors().first().contains(QStringLiteral("2 行目"))) << errors().first().toStdString();
    EXPECT_EQ(readFile(path), QByteArray("line one\r\n"));
    EXPECT_TRUE(adapter().isModified());
    EXPECT_EQ(QDir(workPath(QString())).entryList(QDir::Files), QStringList{QStringLiteral("page.htm")});
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
        EXPECT_TRUE(errors().first().startsWith(QStringLiteral("ファイル %1 を作成できません").arg(target))) << errors().first().toStdString();
        EXPECT_TRUE(state().currentFile.isEmpty());
        EXPECT_EQ(caption(), QStringLiteral("QZWeb"));
        EXPECT_EQ(recentSlot(0), QString());
        EXPECT_TRUE(adapter().isModified());
        EXPECT_TRUE(state().previewDir.isEmpty());
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
    EXPECT_TRUE(errors().first().startsWith(QStringLiteral("ストリームへの書き込みに失敗しました"))) << errors().first().toStdString();
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(QDir(workPath(QStringLiteral("site"))).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("page.htm")})
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
    const QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    const QFileDevice::Permissions modeBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                              | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                              | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QFile::setPermissions(path, permissions);
    open(path);
    type(QStringLiteral("new "));

    trigger(QStringLiteral("Save1"));

    EXPECT_EQ(readFile(path), QByteArray("new old"));
    EXPECT_EQ(QFile::permissions(path) & modeBits, permissions);
}
