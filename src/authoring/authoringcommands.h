#pragma once

#include "authoring/colorchoice.h"
#include "authoring/fragmentinserter.h"

#include <QObject>

class ColorSizeDialog;
class CommandRegistry;
class QTextEdit;
class QWidget;
class UserDialogs;
struct MainState;

// The authoring commands of the ファイル (基本形), 文字, 書式, 色, 段落 and 挿入 menus and the editor
// background of 環境設定: each builds its text with the fragment builders and puts it into the
// pane through the insertion model. Registers its handlers in the command registry; a child of
// the main window, it owns nothing but its insertion model and refers to the rest.
class AuthoringCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AuthoringCommands)

public:
    AuthoringCommands(CommandRegistry &commands, QTextEdit &editor, MainState &state, UserDialogs &dialogs,
                      ColorSizeDialog &colorSize, QWidget *window);

    void insertPageSkeleton();          // HTML1Click
    void formatText(int tag);           // Font1Click
    void align(int tag);                // mnuSetAlignClick
    void insertColor();                 // mnuColorSetClick
    void insertParagraph(int tag);      // mnuKaigyoClick
    void indentFirstLine();             // mnuIndentClick
    void cancelIndent();                // mnuCancelClick
    void insertFileName();              // mnuFileClick
    void insertImage(int tag);          // mnuGrp1Click
    void insertBackgroundColor();       // mnuBGCOLORClick
    void insertLink(int tag);           // URL1Click
    void insertRule();                  // mnuHRClick
    void setEditorBackground();         // N10Click

private:
    // Shows the colour dialog with the caller's preset and returns what it left.
    ColorChoice askColorSize(const ColorSizePreset &preset);
    void setFirstLineIndent(bool increase);

    QTextEdit &m_editorPane;
    MainState &m_state;
    UserDialogs &m_dialogs;
    ColorSizeDialog &m_colorSize;
    QWidget *m_window;
    FragmentInserter m_inserter;
};
