#include "app/sitereplacedialog.h"

#include "common/namedwidget.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column {
    PlaceColumn,
    BeforeColumn,
    AfterColumn,
};

// A button's caption without its access key ("置換(&R)": "置換").
QString spoken(const QString &caption)
{
    static const QRegularExpression key(QStringLiteral("\\(&.\\)|&"));
    return QString(caption).remove(key);
}

} // namespace

SiteReplaceDialog::SiteReplaceDialog(const QList<SiteReplacePlan::Page> &pages, const Wording &wording, QWidget *parent)
    : QDialog(parent), m_countText(wording.count)
{
    setObjectName(QStringLiteral("SiteReplaceDialog"));
    setWindowTitle(wording.title);
    setAccessibleName(windowTitle());
    resize(900, 560);

    auto *explanation = named<QLabel>(this, "SiteReplaceExplanation");
    explanation->setText(wording.explanation);
    explanation->setWordWrap(true);

    m_changes = named<QTreeWidget>(this, "SiteReplaceChanges");
    m_changes->setAccessibleName(QStringLiteral("置換する箇所"));
    m_changes->setColumnCount(3);
    m_changes->setHeaderLabels({QStringLiteral("ページと行"), wording.before, wording.after});
    m_changes->setUniformRowHeights(true);
    m_changes->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_changes->setColumnWidth(PlaceColumn, 220);
    m_changes->setColumnWidth(BeforeColumn, 320);
    explanation->setBuddy(m_changes);

    for (const SiteReplacePlan::Page &page : pages) {
        auto *pageItem = new QTreeWidgetItem(m_changes);
        m_pages.append(pageItem);
        if (!page.refusal.isEmpty()) {
            pageItem->setText(PlaceColumn, page.shownPath);
            pageItem->setText(BeforeColumn, wording.refused.arg(page.refusal));
            pageItem->setFlags(Qt::ItemIsEnabled);
            continue;
        }
        pageItem->setText(PlaceColumn, QStringLiteral("%1 (%2 件)").arg(page.shownPath).arg(page.changes.size()));
        if (page.open)
            pageItem->setText(BeforeColumn, wording.inTab);
        pageItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
        for (const SiteReplacePlan::Change &change : page.changes) {
            auto *row = new QTreeWidgetItem(pageItem,
                                            {QStringLiteral("%1 行目").arg(change.line), change.before, change.after});
            row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            row->setCheckState(PlaceColumn, Qt::Checked);
            row->setToolTip(BeforeColumn, change.before);
            row->setToolTip(AfterColumn, change.after);
        }
        pageItem->setExpanded(true);
    }
    if (m_changes->topLevelItemCount() > 0)
        m_changes->setCurrentItem(m_changes->topLevelItem(0));

    m_count = named<QLabel>(this, "SiteReplaceCount");
    auto *buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(wording.apply, QDialogButtonBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("SiteReplaceApply"));
    m_apply->setAccessibleName(spoken(wording.apply));
    m_apply->setDefault(true);
    if (!wording.alone.isEmpty()) {
        QPushButton *alone = buttons->addButton(wording.alone, QDialogButtonBox::ActionRole);
        alone->setObjectName(QStringLiteral("SiteReplaceAlone"));
        alone->setAccessibleName(spoken(wording.alone));
        connect(alone, &QPushButton::clicked, this, [this] { done(kAlone); });
    }
    QPushButton *cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("SiteReplaceCancel"));
    cancel->setAccessibleName(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_changes, &QTreeWidget::itemChanged, this, &SiteReplaceDialog::countTicked);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(m_changes, 1);
    layout->addWidget(m_count);
    layout->addWidget(buttons);
    countTicked();
}

QList<QList<bool>> SiteReplaceDialog::ticked() const
{
    QList<QList<bool>> ticked;
    ticked.reserve(m_pages.size());
    for (const QTreeWidgetItem *page : m_pages) {
        QList<bool> rows;
        for (int i = 0; i < page->childCount(); ++i)
            rows.append(page->child(i)->checkState(PlaceColumn) == Qt::Checked);
        ticked.append(rows);
    }
    return ticked;
}

void SiteReplaceDialog::countTicked()
{
    int changes = 0;
    int pages = 0;
    for (const QList<bool> &rows : ticked()) {
        const auto count = int(std::count(rows.cbegin(), rows.cend(), true));
        changes += count;
        pages += count > 0 ? 1 : 0;
    }
    m_count->setText(m_countText.arg(pages).arg(changes));
    m_apply->setEnabled(changes > 0);
}
