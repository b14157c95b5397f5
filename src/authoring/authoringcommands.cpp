#include "authoring/authoringcommands.h"

#include "authoring/alignfragments.h"
#include "authoring/colorsizedialog.h"
#include "authoring/insertfragments.h"
#include "authoring/pageskeleton.h"
#include "authoring/paragraphfragments.h"
#include "authoring/relativepath.h"
#include "authoring/textformatfragments.h"
#include "common/commandregistry.h"
#include "common/documentfiledialog.h"
#include "common/mainstate.h"
#include "common/userdialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QWidget>

namespace {

// RichEdit indents in steps of 10 points; the pane lays out in pixels of its screen.
constexpr qreal kIndentStepPoints = 10.0;
constexpr qreal kPointsPerInch = 72.0;

const QString kUntitledCaption = QStringLiteral("QZWeb");

// The open dialog of ファイル名 is the document dialog, starting in the current folder.
FileDialogRequest fileNameRequest()
{
    FileDialogRequest request = documentFileDialog(FileDialogRequest::Mode::Open);
    request.directory = QDir::currentPath();
    return request;
}

// The file with its folder resolved to the real one, as the current folder always is: a file
// reached through a linked folder must still come out relative to the page, or the link would
// only work on this machine. The file's own name is kept even when it is a link itself.
QString physicalPath(const QString &file)
{
    const QFileInfo info(file);
    const QString folder = QDir(info.absolutePath()).canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
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

AuthoringCommands::AuthoringCommands(CommandRegistry &commands, QTextEdit &editor, MainState &state,
                                     UserDialogs &dialogs, ColorSizeDialog &colorSize, QWidget *window)
    : QObject(window)
    , m_editorPane(editor)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_colorSize(colorSize)
    , m_window(window)
    , m_inserter(state.fragment, editor)
{
    m_colorSize.setUserDialogs(&dialogs);

    struct Handler
    {
        const char *name;
        CommandRegistry::Handler run;
    };
    const Handler handlers[] = {
        {"HTML1Click", [this](int) { insertPageSkeleton(); }},
        {"Font1Click", [this](int tag) { formatText(tag); }},
        {"mnuSetAlignClick", [this](int tag) { align(tag); }},
        {"mnuColorSetClick", [this](int) { insertColor(); }},
        {"mnuKaigyoClick", [this](int tag) { insertParagraph(tag); }},
        {"mnuIndentClick", [this](int) { indentFirstLine(); }},
        {"mnuCancelClick", [this](int) { cancelIndent(); }},
        {"mnuFileClick", [this](int) { insertFileName(); }},
        {"mnuGrp1Click", [this](int tag) { insertImage(tag); }},
        {"mnuBGCOLORClick", [this](int) { insertBackgroundColor(); }},
        {"URL1Click", [this](int tag) { insertLink(tag); }},
        {"mnuHRClick", [this](int) { insertRule(); }},
        {"N10Click", [this](int) { setEditorBackground(); }},
    };
    for (const Handler &h : handlers)
        commands.add(QString::fromLatin1(h.name), h.run);
}

ColorChoice AuthoringCommands::askColorSize(const ColorSizePreset &preset)
{
    m_colorSize.applyPreset(preset);
    m_dialogs.exec(&m_colorSize);
    return m_colorSize.choice();
}

void AuthoringCommands::insertPageSkeleton()
{
    EditorAdapter &editor = m_inserter.editor();
    if (!editor.text().isEmpty()) {
        const DialogButton answer = m_dialogs.confirm(
            m_window, PageSkeleton::confirmation(), {DialogButton::Yes, DialogButton::No, DialogButton::Cancel});
        if (answer != DialogButton::Yes)
            return;
    }
    m_state.currentFile.clear();
    if (m_window)
        m_window->setWindowTitle(kUntitledCaption);
    editor.setText(PageSkeleton::text());
    editor.setCaret(PageSkeleton::caretPosition());
}

void AuthoringCommands::formatText(int tag)
{
    const TextFormatFragments::Row *row = TextFormatFragments::row(tag);
    if (!row)
        return;
    const QString selection = m_inserter.selectionText();
    const ColorChoice result = row->dialog ? askColorSize(*row->dialog) : ColorChoice{};
    m_inserter.insert(TextFormatFragments::build(*row, selection, result));
}

void AuthoringCommands::align(int tag)
{
    if (const AlignFragments::Row *row = AlignFragments::row(tag))
        m_inserter.insert(AlignFragments::build(*row, m_inserter.selectionText()));
}

void AuthoringCommands::insertColor()
{
    m_inserter.insert(askColorSize(ColorPresets::colorOnly).colorText);
}

void AuthoringCommands::insertParagraph(int tag)
{
    if (const ParagraphFragments::Row *row = ParagraphFragments::row(tag))
        m_inserter.insert(ParagraphFragments::build(*row, m_inserter.selectionText()));
}

void AuthoringCommands::setFirstLineIndent(bool increase)
{
    QTextCursor cursor = m_editorPane.textCursor();
    qreal indent = 0;
    if (increase) {
        // The value the pane reports for a selection is that of its first paragraph.
        const qreal step = kIndentStepPoints * m_editorPane.logicalDpiX() / kPointsPerInch;
        QTextCursor first(m_editorPane.document());
        first.setPosition(cursor.selectionStart());
        indent = first.blockFormat().textIndent() + step;
    }
    QTextBlockFormat format;
    format.setTextIndent(indent);
    cursor.mergeBlockFormat(format);
}

void AuthoringCommands::indentFirstLine()
{
    setFirstLineIndent(true);
}

void AuthoringCommands::cancelIndent()
{
    setFirstLineIndent(false);
}

void AuthoringCommands::insertFileName()
{
    const PathStyle style = PathStyle::native();
    const QString current = QDir::currentPath();
    const QString base = withTrailingSeparator(QDir::toNativeSeparators(current), style.separator);
    // The file dialog may move the current folder; relative links depend on it staying put.
    const CurrentFolderGuard restore(current);
    const std::optional<QString> chosen = m_dialogs.chooseFile(m_window, fileNameRequest());
    if (!chosen || chosen->isEmpty())
        return;
    const QString file = QDir::toNativeSeparators(physicalPath(QDir(current).absoluteFilePath(*chosen)));
    m_inserter.insert(relativeFileName(base, file, style));
}

void AuthoringCommands::insertImage(int tag)
{
    if (const InsertFragments::ImageRow *row = InsertFragments::imageRow(tag))
        m_inserter.insert(InsertFragments::image(*row));
}

void AuthoringCommands::insertBackgroundColor()
{
    m_inserter.insert(InsertFragments::backgroundColorAttribute(askColorSize(ColorPresets::colorOnly).colorText));
}

void AuthoringCommands::insertLink(int tag)
{
    if (const InsertFragments::LinkRow *row = InsertFragments::linkRow(tag))
        m_inserter.insert(InsertFragments::link(*row, m_inserter.selectionText()));
}

void AuthoringCommands::insertRule()
{
    m_inserter.insert(InsertFragments::horizontalRule());
}

void AuthoringCommands::setEditorBackground()
{
    const QString text = askColorSize(ColorPresets::editorBackground).colorText;
    if (text.isEmpty())
        return;
    const RgbColor color = colorFromNumberText(text);
    QPalette palette = m_editorPane.palette();
    palette.setColor(QPalette::Base, QColor(color.red, color.green, color.blue));
    m_editorPane.setPalette(palette);
    m_editorPane.setFocus();
}
