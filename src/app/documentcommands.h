#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class EditorPane;
class MainWindow;
struct MainState;

// The document commands of the File menu and the window's document events: New, Open, Save,
// Save As, files dropped from the desktop, the file named on the command line, and the question
// before closing with unsaved changes. It keeps the window caption, the read mode, the preview
// folder and the program's current folder in step with the open document. It owns nothing; the
// window owns the state, the editor and the recent-file list it works on.
class DocumentCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentCommands)

public:
    explicit DocumentCommands(MainWindow &window);

    void newDocument();                           // New1Click
    void open();                                  // OpenClick
    void openFile(const QString &path);           // Open after its dialog; the command-line file
    void save();                                  // Save1Click
    void saveAs();                                // SaveAs1Click
    void dropFiles(const QStringList &paths);     // DropFiles
    bool closeQuery();                            // FormCloseQuery: true lets the window close

private:
    EditorPane &editor() const;
    MainState &state() const;
    void showTitle();
    void deletePreviewFile();
    void moveToFolderOf(const QString &path);
    void writeDocument(const QString &path);
    void menuAdd();
    // For the steps that run from window events rather than from the menu: a failure is
    // shown in the generic error box instead of leaving the event handler.
    void reportFailure(const std::function<void()> &step);

    MainWindow &m_window;
};
