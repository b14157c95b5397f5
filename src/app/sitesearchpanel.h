#pragma once

#include "app/sitesearchrules.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// サイト内検索's panel: what to look for with 置換's choices, 検索 and 中止, what to put in its
// place with 置換の確認 (サイト内置換), a line saying how the search stands, and the pages found
// with their matches under them. Enter or a double-click on a match asks to go there; Esc asks to
// go back to the editor. Owns its controls.
class SiteSearchPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteSearchPanel)

public:
    explicit SiteSearchPanel(QWidget *parent = nullptr);

    QString searchText() const;
    void setSearchText(const QString &text);
    ReplaceRules::Options options() const;
    QString replacementText() const;
    void focusReplacementText();
    // The search text takes the keyboard, all of it selected to be typed over.
    void focusSearchText();
    QTreeWidget &results() const { return *m_results; }

    void clearResults();
    // One page's row, its matches under it. localPath: the file the rows open.
    // order: the page's place among the site's pages, which keeps the list in the site's order
    // whichever page is searched first.
    void addPage(int order,
                 const QString &localPath,
                 const QString &shownPath,
                 const QList<SiteSearchRules::Match> &matches);
    void setStatus(const QString &text);
    // While a search runs 中止 can be pressed.
    void setRunning(bool running);

signals:
    void searchRequested();
    void stopRequested();
    // サイト内置換: the same search with the replacement, to be shown before anything changes.
    void replaceRequested();
    void matchChosen(const QString &localPath, ReplaceRules::Range range);
    void leaveRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void choose(const QTreeWidgetItem *item);

    QLineEdit *m_search = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QCheckBox *m_wholeWord = nullptr;
    QCheckBox *m_regex = nullptr;
    QPushButton *m_stop = nullptr;
    QLineEdit *m_replace = nullptr;
    QPushButton *m_preview = nullptr;
    QLabel *m_status = nullptr;
    QTreeWidget *m_results = nullptr;
};
