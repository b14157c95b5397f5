#pragma once

#include "transfer/publishplan.h"
#include "transfer/publishsitemarks.h"
#include "transfer/uploadcheck.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The 更新分を公開 dialog: a view over a publish plan. Lists every file and folder the plan
// would touch with its state (新規 / 変更 / サーバーのみ / 他で変更), size and a check box, the
// totals of what is ticked, what the site's exclusions left out, and 公開 / キャンセル.
// Unchanged files are only counted. Sends nothing itself: its owner reads the ticks back with
// plan().
class PublishDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PublishDialog)

public:
    // pageErrors, when given, marks each page going up that the page check finds エラー in;
    // localRoot is the folder the plan's local paths are relative to. siteLinks, when given,
    // adds the site check's marks, which follow the ticks.
    explicit PublishDialog(PublishPlan::Plan plan,
                           QWidget *parent = nullptr,
                           const PageErrorCount &pageErrors = {},
                           const QString &localRoot = QString(),
                           std::optional<SiteLinks> siteLinks = std::nullopt);

    // The plan with the user's ticks.
    PublishPlan::Plan plan() const;

    // Whether the plan holds anything to show: nothing new, changed or only on one side.
    static bool hasWork(const PublishPlan::Plan &plan);
    // The site's exclusions and how many entries they left out of the plan.
    static QString exclusionsText(const PublishPlan::Plan &plan);
    // "送る 3 個（12 KB）、削除 1 個、変更なし 250 個": the totals of a plan as ticked.
    static QString totalsText(const PublishPlan::Plan &plan);

private:
    void updateTotals();
    void updateSiteMarks();

    PublishPlan::Plan m_plan;
    QTreeWidget *m_list = nullptr;
    QLabel *m_totals = nullptr;
    QPushButton *m_publish = nullptr;
    // The plan's item of each row.
    QList<std::pair<QTreeWidgetItem *, qsizetype>> m_rows;
    std::optional<SiteLinks> m_siteLinks;
    int m_siteColumn = -1;
};
