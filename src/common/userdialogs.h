#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QWidget;

enum class DialogIcon {
    None,
    Information,
    Warning,
    Error,
    Question,
};

enum class DialogButton {
    Ok,
    Yes,
    No,
    Cancel,
    Restore,       // 復元: put a kept copy of the user's work back
    Discard,       // 破棄: delete a kept copy of the user's work
    ShowPageCheck, // ページチェックを見る: stop and show the page check's rows
};

struct MessageBoxRequest
{
    QString title;
    QString text;
    DialogIcon icon = DialogIcon::None;
    QList<DialogButton> buttons;
    // The button Enter presses; unset, the first one.
    std::optional<DialogButton> defaultButton = std::nullopt;
};

// A question whose answers are the program's own captions ("今回だけ接続", "接続しない"), with
// an optional check box under the text ("今後このサイトでは表示しない").
struct ChoiceRequest
{
    QString title;
    QString text;
    DialogIcon icon = DialogIcon::None;
    QStringList choices;   // the buttons' captions, in order
    int defaultChoice = 0; // what Enter presses
    int escapeChoice = 0;  // what Esc, or closing the box, answers
    QString checkBox;      // the check box's caption; empty: none
};

struct ChoiceAnswer
{
    int choice = 0; // index into ChoiceRequest::choices
    bool checked = false;
};

struct FileDialogRequest
{
    enum class Mode {
        Open,
        Save,
        Folder, // an existing folder; filters and suffix do not apply
    };
    Mode mode = Mode::Open;
    QString title;
    QString directory;
    QString fileName;
    QStringList filters; // "HTML ファイル (*.htm *.html)" style
    int filterIndex = 0;
    QString defaultSuffix;           // without the dot
    bool confirmOverwrite = true;    // off where the command asks its own overwrite question
    bool hideFilterPatterns = false; // show only the captions when they already name the patterns
};

struct FontChoice
{
    QFont font;
    QColor color;
};

// Every message box, question, input box, file dialog and font dialog, and every modal window
// of the program, opens through this seam. The real implementation shows Qt dialogs; tests
// install a scripted one that answers from a queue and records what was asked.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    virtual DialogButton message(QWidget *parent, const MessageBoxRequest &request) = 0;
    virtual ChoiceAnswer choose(QWidget *parent, const ChoiceRequest &request) = 0;
    virtual std::optional<QString>
    inputText(QWidget *parent, const QString &title, const QString &prompt, const QString &initial) = 0;
    virtual std::optional<QString> chooseFile(QWidget *parent, const FileDialogRequest &request) = 0;
    virtual std::optional<FontChoice> chooseFont(QWidget *parent, const FontChoice &initial) = 0;
    // Shows one of the program's own modal windows and returns its QDialog result code.
    virtual int exec(QDialog *dialog) = 0;

    // The generic error box: error icon, the program's title, the failure text with its full
    // stop rule, and OK.
    void showError(QWidget *parent, const QString &failure);
    // A question titled "確認" with the question icon.
    DialogButton confirm(QWidget *parent, const QString &text, const QList<DialogButton> &buttons);
    // The same for a question whose OK or はい throws something away (unsaved changes, a file on
    // disk): キャンセル is the default button, so a stray Enter keeps the user's work.
    DialogButton confirmDiscard(QWidget *parent, const QString &text, const QList<DialogButton> &buttons);
    // A warning titled "警告" with OK.
    void warn(QWidget *parent, const QString &text);
    // A plain notice with OK, titled with the program's title.
    void notify(QWidget *parent, const QString &text);

    static QString programTitle();
    static QString buttonCaption(DialogButton button);
};
