#include "app/documentcommands.h"

#include "app/documentfile.h"
#include "app/mainwindow.h"
#include "app/richtextrule.h"
#include "authoring/editoradapter.h"
#include "authoring/editorpane.h"
#include "common/documentfiledialog.h"
#include "common/userdialogs.h"
#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kProgramCaption = QStringLiteral("QZWeb");
const QString kEmptyDocumentQuestion = QStringLiteral("白紙のファイルを保存しますか？");
const QString kOverwriteQuestion = QStringLiteral("OK を押すと %1 を上書きします。");
const QString kCloseQuestion = QStringLiteral("編集後にファイルが保存されていません。終了しますか？");
const QList<DialogButton> kYesNoCancel{DialogButton::Yes, DialogButton::No, DialogButton::Cancel};
const QList<DialogButton> kOkCancel{DialogButton::Ok, DialogButton::Cancel};

// A file in the sense of the questions: something that exists and is not a folder.
bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}


} // namespace

DocumentCommands::DocumentCommands(MainWindow &window) : QObject(&window), m_window(window)
{
    CommandRegistry &commands = window.commands();
    commands.add(QStringLiteral("New1Click"), [this](int) { newDocument(); });
    commands.add(QStringLiteral("OpenClick"), [this](int) { open(); });
    commands.add(QStringLiteral("Save1Click"), [this](int) { save(); });
    commands.add(QStringLiteral("SaveAs1Click"), [this](int) { saveAs(); });
    DocumentHooks &hooks = window.documentHooks();
    hooks.closeQuery = [this] { return closeQuery(); };
    hooks.dropFiles = [this](const QStringList &paths) { reportFailure([&] { dropFiles(paths); }); };
    hooks.openFile = [this](const QString &path) { reportFailure([&] { openFile(path); }); };
}

EditorPane &DocumentCommands::editor() const
{
    return *m_window.view().editor;
}

MainState &DocumentCommands::state() const
{
    return m_window.state();
}

void DocumentCommands::newDocument()
{
    state().currentFile.clear();
    showTitle();
    editor().clear();
    editor().setCurrentCharFormat(QTextCharFormat());
    editor().setAcceptRichText(false);
    state().documentFormat = TextFormat{};
    EditorAdapter(editor()).setModified(false);
}

void DocumentCommands::open()
{
    const auto chosen = m_window.dialogs().chooseFile(
        &m_window, documentFileDialog(FileDialogRequest::Mode::Open, QStringLiteral("ファイルを開く"), QString()));
    if (!chosen)
        return;
    openFile(*chosen);
}

void DocumentCommands::openFile(const QString &path)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    deletePreviewFile();
    moveToFolderOf(fullPath);
    state().plainText = false;
    state().documentFormat = DocumentFile::load(editor(), fullPath, state().plainText);
    state().currentFile = fullPath;
    showTitle();
    editor().setFocus();
    EditorAdapter(editor()).setModified(false);
    menuAdd();
}

void DocumentCommands::save()
{
    EditorAdapter adapter(editor());
    if (adapter.text().isEmpty()
        && m_window.dialogs().confirm(&m_window, kEmptyDocumentQuestion, kYesNoCancel) != DialogButton::Yes)
        return;
    if (state().currentFile.isEmpty() || !fileExists(state().currentFile)) {
        saveAs();
        return;
    }
    writeDocument(state().currentFile);
    adapter.setModified(false);
}

void DocumentCommands::saveAs()
{
    const auto chosen = m_window.dialogs().chooseFile(
        &m_window, documentFileDialog(FileDialogRequest::Mode::Save, QStringLiteral("名前を付けて保存"), state().currentFile));
    if (!chosen)
        return;
    const QString path = QFileInfo(*chosen).absoluteFilePath();
    deletePreviewFile();
    if (fileExists(path)
        && m_window.dialogs().confirm(&m_window, kOverwriteQuestion.arg(QDir::toNativeSeparators(path)), kYesNoCancel)
               != DialogButton::Yes)
        return;
    writeDocument(path);
    state().currentFile = path;
    moveToFolderOf(path);
    showTitle();
    EditorAdapter(editor()).setModified(false);
    menuAdd();
}

void DocumentCommands::dropFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    // The whole path of the first file: cutting a long path short would open another file.
    const QString path = QFileInfo(paths.constFirst()).absoluteFilePath();
    state().plainText = true;
    // The path becomes the document's only once the file has been read, so a file that cannot
    // be read leaves the previous document, its path and its caption as they were.
    state().documentFormat = DocumentFile::load(editor(), path, state().plainText);
    state().currentFile = path;
    showTitle();
    editor().setFocus();
    EditorAdapter(editor()).setModified(false);
}

bool DocumentCommands::closeQuery()
{
    if (!EditorAdapter(editor()).isModified())
        return true;
    const bool close = m_window.dialogs().confirm(&m_window, kCloseQuestion, kOkCancel) == DialogButton::Ok;
    const QString preview = QDir::current().filePath(state().previewName);
    if (!state().previewName.isEmpty() && QFile::exists(preview))
        QFile::remove(preview);
    return close;
}

void DocumentCommands::showTitle()
{
    const QString caption = state().currentFile.isEmpty()
                                ? kProgramCaption
                                : kProgramCaption + QStringLiteral(" [") + QDir::toNativeSeparators(state().currentFile) + QLatin1Char(']');
    m_window.setWindowTitle(caption);
    m_window.setAccessibleName(caption);
}

void DocumentCommands::deletePreviewFile()
{
    const QString preview = state().previewFilePath();
    if (!state().previewName.isEmpty() && QFile::exists(preview))
        QFile::remove(preview);
}

void DocumentCommands::moveToFolderOf(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    QString previewDir = QDir::toNativeSeparators(folder);
    if (!previewDir.endsWith(QDir::separator()))
        previewDir += QDir::separator();
    state().previewDir = previewDir;
    QDir::setCurrent(folder);
}

void DocumentCommands::writeDocument(const QString &path)
{
    state().plainText = !RichTextRule::writesRichText(path);
    DocumentFile::save(editor(), path, state().plainText, state().documentFormat);
}

void DocumentCommands::menuAdd()
{
    m_window.recentFiles().add(state().currentFile);
    m_window.showRecentFiles();
}

void DocumentCommands::reportFailure(const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::exception &e) {
        m_window.dialogs().showError(&m_window, userTextOf(e));
    }
}
