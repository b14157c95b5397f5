#include "authoring/insertcommands.h"

#include "authoring/insertfragments.h"
#include "authoring/relativepath.h"
#include "common/commanddispatcher.h"
#include "common/documentfiledialog.h"
#include "common/userdialogs.h"

#include <QDir>
#include <QWidget>

namespace {

// The open dialog of ファイル名 is the document dialog, starting in the current folder.
FileDialogRequest fileNameRequest()
{
    FileDialogRequest request = documentFileDialog(FileDialogRequest::Mode::Open);
    request.directory = QDir::currentPath();
    return request;
}

// Restores the program's current folder when the command ends, however it ends.
class CurrentFolderGuard
{
public:
    explicit CurrentFolderGuard(QString folder) : m_folder(std::move(folder)) {}
    ~CurrentFolderGuard() { QDir::setCurrent(m_folder); }
    CurrentFolderGuard(const CurrentFolderGuard &) = delete;
    CurrentFolderGuard &operator=(const CurrentFolderGuard &) = delete;

private:
    QString m_folder;
};

} // namespace

InsertCommands::InsertCommands(CommandDispatcher &commands, PageContext &page, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_inserter(page), m_dialogs(dialogs), m_window(window)
{
    commands.add(QStringLiteral("mnuFileClick"), [this](int) { insertFileName(); });
    commands.add(QStringLiteral("mnuGrp1Click"), [this](int tag) { insertImage(tag); });
    commands.add(QStringLiteral("URL1Click"), [this](int tag) { insertLink(tag); });
    commands.add(QStringLiteral("mnuHRClick"), [this](int) { insertRule(); });
}

void InsertCommands::insertFileName()
{
    const PathStyle style = PathStyle::native();
    const QString current = QDir::currentPath();
    const QString base = withTrailingSeparator(QDir::toNativeSeparators(current), style.separator);
    // The file dialog may move the current folder; relative links depend on it staying put.
    const CurrentFolderGuard restore(current);
    const std::optional<QString> chosen = m_dialogs.chooseFile(&m_window, fileNameRequest());
    if (!chosen || chosen->isEmpty())
        return;
    const QString file = QDir::toNativeSeparators(physicalPath(QDir(current).absoluteFilePath(*chosen)));
    m_inserter.insert(relativeFileName(base, file, style));
}

void InsertCommands::insertImage(int tag)
{
    if (const InsertFragments::ImageRow *row = InsertFragments::imageRow(tag))
        m_inserter.insert(InsertFragments::image(*row));
}

void InsertCommands::insertLink(int tag)
{
    if (const InsertFragments::LinkRow *row = InsertFragments::linkRow(tag))
        m_inserter.insert(InsertFragments::link(*row, m_inserter.selectionText()));
}

void InsertCommands::insertRule()
{
    m_inserter.insert(InsertFragments::horizontalRule());
}
