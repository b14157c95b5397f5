#pragma once

class DocumentRegistry;
class EditorStack;
class PageTabs;
class PreviewArea;
class QComboBox;
class QFrame;
class QGroupBox;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QToolButton;
class StatusBar;

// The controls of the main window (Form1), built at their designed places. The window owns them
// through Qt's parent chain; this struct only names them.
struct MainWindowView
{
    static constexpr int kEditorHeight = 81;
    // The splitter bar is at least this high, whatever the style asks for.
    static constexpr int kMinimumSplitterHeight = 6;

    QRadioButton *radioHttp = nullptr;      // RadioButton1
    QRadioButton *radioFile = nullptr;      // RadioButton2
    QPushButton *previewButton = nullptr;   // Button1
    QGroupBox *onlineGroup = nullptr;       // GroupBox1
    QRadioButton *radioOnline = nullptr;    // RadioButton3
    QRadioButton *radioOffline = nullptr;   // RadioButton4
    QToolButton *backButton = nullptr;      // SpeedButton1
    QToolButton *stopButton = nullptr;      // SpeedButton3
    QToolButton *forwardButton = nullptr;   // SpeedButton2
    QToolButton *transferButton = nullptr;  // SpeedButton4
    QPushButton *favoritesButton = nullptr; // Button3
    QPushButton *historyButton = nullptr;   // Button4
    QPushButton *exitButton = nullptr;      // Button2
    QComboBox *urlBox = nullptr;            // cmbURL
    QComboBox *pageWidth = nullptr;         // cmbPreviewWidth: the width pages are previewed at
    QFrame *panel = nullptr;                // Panel1
    PageTabs *tabs = nullptr;               // the open pages, one editor each
    EditorStack *editor = nullptr;          // the page in front's; RichEdit1 is its view in use
    QSplitter *splitter = nullptr;          // Splitter1
    PreviewArea *preview = nullptr;         // WebBrowser1
    StatusBar *statusBar = nullptr;         // StatusBar1
    QProgressBar *progressBar = nullptr;    // ProgressBar1

    // The first page of registry is made in the tabs.
    static MainWindowView build(QMainWindow *window, DocumentRegistry &registry);

    int editorHeight() const;
    void setEditorHeight(int height) const { setEditorHeight(*splitter, height); }
    // The editing pane above the preview gets height; the preview the rest.
    static void setEditorHeight(QSplitter &splitter, int height);
    // The layout of a first start: the editor and the preview half each, and they keep halves
    // as the window grows (the designed 81 pixels are four lines, little to write a page in).
    // A remembered layout keeps the editor's height instead, and the preview takes the growth.
    void shareEvenly() const;
};
