#pragma once

#include "pagecheck/pagecheck.h"
#include "pagecheck/pagecheckoptions.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <functional>

class CommandDispatcher;
class PageContext;
class PageCheckPanel;
class QAction;
class QDockWidget;
class QMainWindow;

// ページチェック (F7) and チェックも自動で: checks the editor's text on a worker thread, shows
// the rows in a panel docked under the window's panes, puts the caret where the user chooses
// and makes the edits the rows offer. Owns the panel's dock and the check-while-typing choice
// (kept in the data folder); refers to the page in front and the menu items the window owns.
class PageCheckCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageCheckCommands)

public:
    static inline const QString kCheckHandler = QStringLiteral("mnuPageCheckClick");
    static inline const QString kAutoHandler = QStringLiteral("mnuPageCheckAutoClick");
    static inline const QString kAskHandler = QStringLiteral("mnuPageCheckUploadClick");
    // How long typing must pause before チェックも自動で checks again.
    static constexpr int kTypingPauseMs = 1000;

    struct Items
    {
        QAction &automatic;       // チェックも自動で
        QAction &askBeforeUpload; // 公開前にページチェック
    };

    // page: the document as it stands (its text is replaced with the editor's own here).
    PageCheckCommands(CommandDispatcher &commands,
                      PageContext &current,
                      QMainWindow &window,
                      Items items,
                      std::function<PageCheck::Input()> page,
                      const QString &optionsPath);

    PageCheckPanel &panel() const { return *m_panel; }
    QDockWidget &dock() const { return *m_dock; }

    // ページチェック: shows the panel and checks; the rows take the focus when they come.
    void showAndCheck();
    void check();
    void moveCaret(int line, int column);
    // The edit of the row of this key, as one step 元に戻す takes back.
    void makeFix(const QString &key, const CheckRow::Fix &fix);

signals:
    // A check ended and its rows are shown.
    void checked();

private:
    void showResult();
    void chooseOption(bool PageCheckOptions::*option, const QAction &item);

    PageContext &m_current;
    Items m_items;
    std::function<PageCheck::Input()> m_page;
    QString m_optionsPath;
    PageCheckOptions m_options;
    QDockWidget *m_dock = nullptr;
    PageCheckPanel *m_panel = nullptr;
    QFutureWatcher<CheckRows> m_watcher;
    // Asked for while a check was running: run again once it ends, on the newer text.
    bool m_again = false;
    // The user asked with the command: the rows take the focus when they come.
    bool m_focusRows = false;
    // The text being checked, the text the rows shown are of, and the key of a row whose edit
    // waits for rows of the text as it is now.
    QString m_checkingText;
    QString m_shownText;
    QString m_pendingFix;
    QTimer m_typingPause;
};
