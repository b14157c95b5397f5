#pragma once

#include "app/sitereplaceplan.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// サイト内置換's preview: every change the replace would make, page by page, each line before
// and after, with a check box per change and per page, all ticked. A page that is not to be
// changed is listed with the reason, without a box. 置換 is accepted with what is ticked. The
// rename of a file shows its link edits in the same window, in its own words, with a third
// button that moves the file and leaves every link as it is.
class SiteReplaceDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteReplaceDialog)

public:
    // What the window says, and its buttons; the defaults are サイト内置換's.
    struct Wording
    {
        QString title = QStringLiteral("サイト内置換の確認");
        QString explanation =
            QStringLiteral("次のように置換します。置換しない箇所はチェックを外してから「置換」を押してください。");
        QString apply = QStringLiteral("置換(&R)");
        QString count = QStringLiteral("%1 ページの %2 箇所を置換します"); // pages, changes
        QString refused = QStringLiteral("置換しません: %1");
        QString inTab = QStringLiteral("タブで開いているページ（タブの中で置換します）");
        QString before = QStringLiteral("置換前"); // the columns' headings
        QString after = QStringLiteral("置換後");
        QString alone; // a third button's caption; empty: none
    };
    // The result of the third button.
    static constexpr int kAlone = 2;

    explicit SiteReplaceDialog(const QList<SiteReplacePlan::Page> &pages, QWidget *parent = nullptr)
        : SiteReplaceDialog(pages, Wording(), parent)
    {}
    SiteReplaceDialog(const QList<SiteReplacePlan::Page> &pages, const Wording &wording, QWidget *parent = nullptr);

    // For each page in the order given, whether each of its changes is ticked.
    QList<QList<bool>> ticked() const;
    QTreeWidget &changes() const { return *m_changes; }

private:
    void countTicked();

    QTreeWidget *m_changes = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_apply = nullptr;
    QString m_countText;
    QList<QTreeWidgetItem *> m_pages; // one per page given, in order
};
