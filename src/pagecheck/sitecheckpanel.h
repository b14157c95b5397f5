#pragma once

#include "pagecheck/checkrow.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// サイトチェック's panel: チェック and 中止, 外部リンクも確かめる (off unless chosen), a line
// saying how the check stands, and the files
// with findings, each with its counts per level and its rows under it, shown as the page check
// shows a page's rows. Enter or a double-click on a row asks for that place in its page; Esc
// asks to go back to the editor. Owns its controls.
class SiteCheckPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteCheckPanel)

public:
    struct File
    {
        QString localPath; // what a row opens
        QString shownPath; // as the list names it, inside the site
        CheckRows rows;
        bool opens = true; // a page or style sheet; an image's rows lead nowhere
    };

    explicit SiteCheckPanel(QWidget *parent = nullptr);

    QTreeWidget &list() const { return *m_list; }
    // Whether the next check asks the site's http(s) links too.
    QCheckBox &externalBox() const { return *m_external; }

    void clearResults();
    void showResult(int pages, const QList<File> &files);
    void setStatus(const QString &text);
    // While a check runs 中止 can be pressed.
    void setRunning(bool running);
    void focusList();

    // "エラー 2 件・ヒント 1 件" for rows, the levels without any left out.
    static QString countsText(const CheckRows &rows);
    // The line under the buttons once a check ended.
    static QString outcomeText(int pages, const QList<File> &files);
    static QString progressText(int done, int total);

signals:
    void checkRequested();
    void stopRequested();
    void placeChosen(const QString &localPath, int line, int column);
    void leaveRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void choose(const QTreeWidgetItem *item);

    QPushButton *m_check = nullptr;
    QPushButton *m_stop = nullptr;
    QCheckBox *m_external = nullptr;
    QLabel *m_status = nullptr;
    QTreeWidget *m_list = nullptr;
};
