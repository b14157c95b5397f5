#pragma once

#include "app/helpsearchindex.h"

#include <QWidget>

class HelpBrowser;
class QHelpEngine;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;

// The help window: the manual's contents, its index of keywords and a full-text search beside
// the page being read. The manual is a Qt help collection; the engine gives the contents and the
// index, the search runs over the pages' text (see HelpSearchIndex). Owns the engine and its
// controls.
class HelpWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpWindow)

public:
    static constexpr int kContentsTab = 0;
    static constexpr int kIndexTab = 1;
    static constexpr int kSearchTab = 2;

    // Throws UserError when the collection cannot be read.
    explicit HelpWindow(const QString &collectionPath, QWidget *parent = nullptr);
    ~HelpWindow() override;

    // The contents tab and the manual's first page.
    void showContents();
    // Fills the search tab's result list for the query; the number of pages found.
    int search(const QString &query);
    bool contentsCreated() const { return m_contentsCreated; }
    QUrl startPage() const;

signals:
    void contentsReady();

private:
    void buildControls();
    void onContentsCreated();
    void openResult(QListWidgetItem *item);
    void buildSearchIndex();

    QHelpEngine *m_engine;
    QString m_namespace;
    QTabWidget *m_tabs = nullptr;
    HelpBrowser *m_page = nullptr;
    QLineEdit *m_indexFilter = nullptr;
    QLineEdit *m_searchText = nullptr;
    QLabel *m_searchStatus = nullptr;
    QListWidget *m_results = nullptr;
    HelpSearchIndex m_searchIndex;
    bool m_searchIndexBuilt = false;
    bool m_contentsCreated = false;
};
