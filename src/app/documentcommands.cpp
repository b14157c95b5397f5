#include "app/documentcommands.h"

#include "app/historyeditor.h"
#include "app/pagetabs.h"
#include "app/recentfilelist.h"
#include "app/unsavedpagesdialog.h"
#include "authoring/editoradapter.h"
#include "authoring/editorfile.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"
#include "common/documentfiledialog.h"
#include "common/unencodablecharacters.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "preview/previewfile.h"
#include "workspace/document.h"
#include "workspace/documentfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <utility>

namespace {

const QString kEmptyDocumentQuestion = QStringLiteral("白紙のファイルを保存しますか？");
const QString kOverwriteQuestion = QStringLiteral("OK を押すと %1 を上書きします。");
const QString kCloseQuestion = QStringLiteral("編集後にファイルが保存されていません。終了しますか？");
const QString kDiscardQuestion = QStringLiteral("編集後にファイルが保存されていません。変更を破棄して続けますか？");
const QString kUnstorablePathNotice =
    QStringLiteral("このファイルの名前には %1 が含まれているため、ファイル履歴には加えません。");
const QList<DialogButton> kYesNoCancel{DialogButton::Yes, DialogButton::No, DialogButton::Cancel};
const QList<DialogButton> kOkCancel{DialogButton::Ok, DialogButton::Cancel};
const QList<DialogButton> kYesNo{DialogButton::Yes, DialogButton::No};
const QString kUnreadableCp932Question =
    QStringLiteral("ファイル %1 には、Shift_JIS の文字として読めないバイトがありました。\n"
                   "読めなかったバイトは元のまま書き戻しますが、その部分を書き換えると元には戻りません。"
                   "上書き保存しますか？");
const QString kUnreadableUtf8Question =
    QStringLiteral("ファイル %1 には、UTF-8 の文字として読めないバイトがありました。\n"
                   "そのバイトは「\uFFFD」に置き換えて表示しているため、上書きすると元のバイトは失われます。"
                   "上書き保存しますか？");

const QString kUnchangedOnDisk = QStringLiteral("ディスク上のファイルは変更されていません。");

// Runs a write of the document. A write goes to a file beside the target that replaces it only
// when complete, so a failure leaves the file on disk as it was; the message says so, lest the
// user fear the page is lost.
void writeOrSayUnchanged(const std::function<void()> &write)
{
    try {
        write();
    } catch (const UserError &e) {
        throw UserError(e.text() + QLatin1Char('\n') + kUnchangedOnDisk);
    }
}

// A file in the sense of the questions: something that exists and is not a folder.
bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

} // namespace

DocumentCommands::DocumentCommands(CommandDispatcher &commands,
                                   PageContext &current,
                                   PreviewSession &preview,
                                   RecentFileList &recentFiles,
                                   UserDialogs &dialogs,
                                   QWidget &window)
    : QObject(&window), m_current(current), m_preview(preview), m_recentFiles(recentFiles), m_dialogs(dialogs),
      m_window(window)
{
    commands.add(QStringLiteral("New1Click"), [this](int) { newDocument(); });
    commands.add(QStringLiteral("OpenClick"), [this](int) { open(); });
    commands.add(QStringLiteral("Save1Click"), [this](int) { save(); });
    commands.add(QStringLiteral("SaveAs1Click"), [this](int) { saveAs(); });
    commands.add(QStringLiteral("mnuFavoritClick"), [this](int slot) { openRecent(slot); });
    commands.add(QStringLiteral("N25Click"), [this](int) { editRecentFiles(); });
}

void DocumentCommands::newDocument()
{
    if (!mayDiscardChanges())
        return;
    // The page the preview showed is gone from the editor; its copy has no reason to stay.
    deletePreviewFile();
    state().startNew();
    showTitle();
    m_current.editor().clearAs(EditorKind::Source);
    EditorAdapter(m_current.editor()).setModified(false);
}

void DocumentCommands::open()
{
    const auto chosen = m_dialogs.chooseFile(
        &m_window, documentFileDialog(FileDialogRequest::Mode::Open, QStringLiteral("ファイルを開く"), QString()));
    if (chosen)
        openAsked(*chosen);
}

void DocumentCommands::openFile(const QString &path)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (makeRoomFor(fullPath, false) != Room::Ready)
        return;
    loadDocument(fullPath);
    menuAdd();
}

bool DocumentCommands::openAsked(const QString &path)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const Room room = makeRoomFor(fullPath, true);
    if (room == Room::Ready) {
        loadDocument(fullPath);
        menuAdd();
    }
    return room != Room::Refused;
}

void DocumentCommands::openInTabs(PageTabs &tabs)
{
    m_tabs = &tabs;
}

Document &DocumentCommands::reopen(const QString &path)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (makeRoomFor(fullPath, false) == Room::Ready)
        loadDocument(fullPath);
    return m_current.document();
}

Document &DocumentCommands::reopenUnread(const QString &path)
{
    // One page alone is always in front, so it is read at once.
    if (!m_tabs)
        return reopen(path);
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (Document *open = m_tabs->find(fullPath))
        return *open;
    Document &page = frontIsBlank() ? m_current.document() : m_tabs->addPage();
    page.setUnread(true);
    page.setPath(fullPath);
    return page;
}

void DocumentCommands::readUnread()
{
    Document &page = m_current.document();
    if (!page.isUnread())
        return;
    page.setUnread(false);
    try {
        loadDocument(page.path());
    } catch (const UserError &) {
        // The tab stays, blank and untitled: closing it here would move the tabs under the
        // switch that brought it forward.
        state().startNew();
        showTitle();
        throw;
    }
}

Document &DocumentCommands::pageForKeptCopy(const QString &path)
{
    makeRoomFor(path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath(), false);
    m_freshPage = nullptr;
    return m_current.document();
}

DocumentCommands::Room DocumentCommands::makeRoomFor(const QString &fullPath, bool ask)
{
    m_freshPage = nullptr;
    if (!m_tabs)
        return !ask || mayDiscardChanges() ? Room::Ready : Room::Refused;
    if (Document *open = m_tabs->find(fullPath)) {
        m_tabs->showPage(*open);
        return Room::AlreadyOpen;
    }
    // An untouched blank page (the one a start shows) is simply used; any other page stays as
    // it is, and the file gets a page of its own.
    if (frontIsBlank())
        return Room::Ready;
    Document &page = m_tabs->addPage();
    m_tabs->showPage(page);
    m_freshPage = &page;
    return Room::Ready;
}

bool DocumentCommands::frontIsBlank() const
{
    const Document &front = m_current.document();
    return front.isUntitled() && !front.isModified() && EditorAdapter(m_current.editor()).text().isEmpty();
}

void DocumentCommands::readIntoFront(const std::function<void()> &read)
{
    try {
        read();
    } catch (...) {
        // A page made for a file that could not be read has nothing to show.
        if (m_freshPage && m_tabs)
            m_tabs->closePage(*std::exchange(m_freshPage, nullptr));
        throw;
    }
    m_freshPage = nullptr;
}

void DocumentCommands::loadDocument(const QString &fullPath)
{
    deletePreviewFile();
    QDir::setCurrent(state().beginOpen(fullPath));
    readIntoFront([&] {
        state().opened(fullPath, EditorFile::load(m_current.editor(), fullPath, m_current.document().readsPlainText()));
    });
    showTitle();
    m_current.editor().setFocus();
    EditorAdapter(m_current.editor()).setModified(false);
}

void DocumentCommands::openRecent(int slot)
{
    // A slot whose file has gone (or an empty one) is left in the list and does nothing.
    const QString path = m_recentFiles.entries().value(slot);
    if (!fileExists(path) || makeRoomFor(QFileInfo(path).absoluteFilePath(), true) != Room::Ready)
        return;
    // Read as Open reads, so a rich-text file looks the same whichever way it was opened.
    loadDocument(path);
}

void DocumentCommands::editRecentFiles()
{
    // A fresh window each time, so it always starts from the slots as they are now.
    HistoryEditor editor(m_dialogs, &m_window);
    const std::optional<QStringList> kept = editor.edit(m_recentFiles.entries());
    if (!kept)
        return;
    m_recentFiles.setEntries(*kept);
    emit recentFilesChanged();
}

void DocumentCommands::save()
{
    EditorAdapter adapter(m_current.editor());
    if (adapter.text().isEmpty()
        && m_dialogs.confirmDiscard(&m_window, kEmptyDocumentQuestion, kYesNoCancel) != DialogButton::Yes)
        return;
    if (state().saveNeedsName(fileExists(m_current.document().path()))) {
        saveAs();
        return;
    }
    if (!writeDocument(m_current.document().path()))
        return;
    adapter.setModified(false);
    emit saved();
}

void DocumentCommands::saveAs()
{
    const auto chosen = m_dialogs.chooseFile(&m_window,
                                             documentFileDialog(FileDialogRequest::Mode::Save,
                                                                QStringLiteral("名前を付けて保存"),
                                                                m_current.document().path()));
    if (!chosen)
        return;
    const QString path = QFileInfo(*chosen).absoluteFilePath();
    deletePreviewFile();
    if (fileExists(path)
        && m_dialogs.confirmDiscard(&m_window, kOverwriteQuestion.arg(QDir::toNativeSeparators(path)), kYesNoCancel)
            != DialogButton::Yes)
        return;
    if (!writeDocument(path))
        return;
    QDir::setCurrent(state().savedAs(path));
    // The name decides what the file now holds, and the editor shows it as that kind.
    m_current.editor().convertTo(m_current.document().readsPlainText() ? EditorKind::Source : EditorKind::RichText);
    showTitle();
    EditorAdapter(m_current.editor()).setModified(false);
    emit saved();
    menuAdd();
}

void DocumentCommands::dropFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    // The whole path of the first file: cutting a long path short would open another file.
    const QString path = QFileInfo(paths.constFirst()).absoluteFilePath();
    if (makeRoomFor(path, true) != Room::Ready)
        return;
    // The path becomes the document's only once the file has been read, so a file that cannot
    // be read leaves the previous document, its path and its caption as they were.
    TextFormat format;
    readIntoFront([&] { format = EditorFile::load(m_current.editor(), path, DocumentState::kDropReadsPlainText); });
    deletePreviewFile();
    state().dropped(path, format);
    showTitle();
    m_current.editor().setFocus();
    EditorAdapter(m_current.editor()).setModified(false);
}

bool DocumentCommands::closeQuery()
{
    if (m_tabs && m_tabs->pageCount() > 1)
        return closeQueryOfPages();
    if (!EditorAdapter(m_current.editor()).isModified())
        return true;
    const bool close = m_dialogs.confirmDiscard(&m_window, kCloseQuestion, kOkCancel) == DialogButton::Ok;
    PreviewFile::remove(m_preview);
    return close;
}

bool DocumentCommands::closeQueryOfPages()
{
    QList<Document *> unsaved;
    QStringList names;
    for (int i = 0; i < m_tabs->pageCount(); ++i) {
        Document &page = m_tabs->documentAt(i);
        if (!page.isModified())
            continue;
        unsaved.append(&page);
        names.append(page.isUntitled() ? QStringLiteral("無題") : QDir::toNativeSeparators(page.path()));
    }
    if (unsaved.isEmpty())
        return true;
    UnsavedPagesDialog question(names, &m_window);
    m_dialogs.exec(&question);
    if (question.answer() == UnsavedPagesDialog::Answer::Cancel)
        return false;
    if (question.answer() == UnsavedPagesDialog::Answer::Save) {
        for (int index : question.checked()) {
            Document &page = *unsaved.at(index);
            m_tabs->showPage(page);
            save();
            // A save the user broke off, or one that failed, keeps the window open.
            if (page.isModified())
                return false;
        }
    }
    PreviewFile::remove(m_preview);
    return true;
}

bool DocumentCommands::mayDiscardChanges()
{
    return !EditorAdapter(m_current.editor()).isModified()
        || m_dialogs.confirmDiscard(&m_window, kDiscardQuestion, kOkCancel) == DialogButton::Ok;
}

DocumentState DocumentCommands::state() const
{
    return DocumentState(m_current.document(), m_preview);
}

void DocumentCommands::showTitle()
{
    const QString caption = state().caption();
    m_window.setWindowTitle(caption);
    m_window.setAccessibleName(caption);
}

void DocumentCommands::deletePreviewFile()
{
    PreviewFile::remove(m_preview);
}

bool DocumentCommands::mayWriteOverUnreadableBytes(const QString &path)
{
    if (!m_current.document().format().unreadableBytes || path != m_current.document().path())
        return true;
    const QString &question = m_current.document().format().encoding == TextFormat::Encoding::Utf8
        ? kUnreadableUtf8Question
        : kUnreadableCp932Question;
    return m_dialogs.confirmDiscard(&m_window, question.arg(QDir::toNativeSeparators(path)), kYesNoCancel)
        == DialogButton::Yes;
}

void DocumentCommands::forgetUnreadableBytes()
{
    if (!m_current.document().format().unreadableBytes)
        return;
    // Asked once: Save and Save As leave the document in a file this program wrote.
    TextFormat format = m_current.document().format();
    format.unreadableBytes = false;
    m_current.document().setFormat(format);
}

bool DocumentCommands::writeDocument(const QString &path)
{
    if (!mayWriteOverUnreadableBytes(path))
        return false;
    const bool written = encodeAndWrite(path);
    if (written)
        forgetUnreadableBytes();
    return written;
}

bool DocumentCommands::encodeAndWrite(const QString &path)
{
    if (!state().beginWrite(path)) {
        writeOrSayUnchanged([&] { EditorFile::save(m_current.editor(), path, false, m_current.document().format()); });
        return true;
    }
    QString text = EditorAdapter(m_current.editor()).text();
    const UnencodableCharacters unencodable = m_current.document().format().encoding == TextFormat::Encoding::Cp932
        ? UnencodableCharacters::find(text)
        : UnencodableCharacters{};
    if (unencodable.isEmpty()) {
        writeOrSayUnchanged([&] { DocumentFile::savePlain(path, std::move(text), m_current.document().format()); });
        return true;
    }
    // Refused as Shift_JIS; the file stays as it is unless the user takes UTF-8 instead.
    const QString question = unencodable.utf8Question(UnencodableCharacters::declaresShiftJis(text));
    if (m_dialogs.confirm(&m_window, question, kYesNo) != DialogButton::Yes)
        return false;
    TextFormat utf8 = TextCodec::utf8FormatFor(text);
    utf8.lineEnd = m_current.document().format().lineEnd;
    writeOrSayUnchanged([&] { DocumentFile::savePlain(path, text, utf8); });
    m_current.document().setFormat(utf8);
    return true;
}

void DocumentCommands::menuAdd()
{
    const QStringList refused = m_recentFiles.add(m_current.document().path());
    emit recentFilesChanged();
    // The document is open; only its place in the history is lost, and the user should know why.
    if (!refused.isEmpty())
        m_dialogs.notify(&m_window, kUnstorablePathNotice.arg(refused.join(QStringLiteral("、"))));
}
