#include "transfer/publishdialog.h"

#include "common/checkcellreading.h"
#include "common/namedwidget.h"
#include "transfer/remotelistingparser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

using PublishPlan::State;

enum Column {
    StateColumn,
    PathColumn,
    SizeColumn,
    CheckColumn,
};

// The first publish of a big site lists every page; the marks are a help, not worth a window
// that stalls, so the pages after this much checking go unmarked.
constexpr qint64 kCheckingBudgetMs = 1500;

QString pageErrorText(qsizetype errors)
{
    return QStringLiteral("エラー %1 件").arg(errors);
}

// Wide enough for "12 ページからリンクされています".
constexpr int kSiteColumnWidth = 210;

// A tooltip no taller than the screen: the first few, then how many more.
constexpr qsizetype kListedInTip = 20;

QString shortList(const QStringList &entries)
{
    QStringList lines = entries.mid(0, kListedInTip);
    if (entries.size() > kListedInTip)
        lines.append(QStringLiteral("ほか %1 個").arg(entries.size() - kListedInTip));
    return lines.join(u'\n');
}

QString kilobytes(qint64 bytes)
{
    return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
}

} // namespace

PublishDialog::PublishDialog(PublishPlan::Plan plan,
                             QWidget *parent,
                             const PageErrorCount &pageErrors,
                             const QString &localRoot,
                             std::optional<SiteLinks> siteLinks)
    : QDialog(parent), m_plan(std::move(plan)), m_siteLinks(std::move(siteLinks))
{
    setObjectName(QStringLiteral("PublishDialog"));
    setWindowTitle(QStringLiteral("更新分を公開"));
    setAccessibleName(windowTitle());
    auto *layout = new QVBoxLayout(this);
    auto *lead = named<QLabel>(this, "PublishLead");
    lead->setText(QStringLiteral("チェックしたものを公開します。サーバーのみのものはチェックすると削除します。"));
    lead->setWordWrap(true);
    layout->addWidget(lead);

    m_list = named<QTreeWidget>(this, "PublishList");
    m_list->setAccessibleName(QStringLiteral("公開するファイル"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    QStringList headers{QStringLiteral("状態"), QStringLiteral("ファイル"), QStringLiteral("サイズ")};
    if (pageErrors)
        headers.append(QStringLiteral("ページチェック"));
    if (m_siteLinks) {
        m_siteColumn = int(headers.size());
        headers.append(QStringLiteral("サイトチェック"));
    }
    m_list->setHeaderLabels(headers);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(PathColumn, QHeaderView::Stretch);
    QElapsedTimer checking;
    checking.start();
    for (qsizetype i = 0; i < m_plan.items.size(); ++i) {
        const PublishPlan::Item &item = m_plan.items.at(i);
        if (item.state == State::Unchanged || item.state == State::SameSize)
            continue;
        auto *row = new QTreeWidgetItem(m_list);
        row->setText(StateColumn, PublishPlan::stateText(item.state));
        row->setText(PathColumn, item.folder ? item.shownPath() + QLatin1Char('/') : item.shownPath());
        row->setToolTip(PathColumn, row->text(PathColumn));
        if (!item.folder)
            row->setText(SizeColumn, RemoteListingParser::sizeText(item.size).trimmed());
        row->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        if (pageErrors && !item.local.isEmpty() && checking.elapsed() < kCheckingBudgetMs) {
            const qsizetype errors = pageErrors(QDir(localRoot).filePath(QFile::decodeName(item.local)));
            if (errors > 0) {
                row->setText(CheckColumn, pageErrorText(errors));
                row->setToolTip(CheckColumn, QStringLiteral("編集の「ページチェック」で内容を確かめられます"));
            }
        }
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(StateColumn, item.checked ? Qt::Checked : Qt::Unchecked);
        CheckCellReading::readWithState(*row, StateColumn);
        if (item.state == State::ChangedOnServer)
            row->setToolTip(StateColumn,
                            QStringLiteral("前回の公開のあと、サーバーのファイルが他で変更されています。"
                                           "チェックすると上書きします"));
        m_rows.append({row, i});
    }
    m_list->resizeColumnToContents(StateColumn);
    layout->addWidget(m_list, 1);

    m_totals = named<QLabel>(this, "PublishTotals");
    m_totals->setTextFormat(Qt::PlainText);
    layout->addWidget(m_totals);
    auto *excluded = named<QLabel>(this, "PublishExcluded");
    excluded->setTextFormat(Qt::PlainText);
    excluded->setWordWrap(true);
    excluded->setText(exclusionsText(m_plan));
    if (!m_plan.excluded.isEmpty())
        excluded->setToolTip(shortList(m_plan.excluded));
    layout->addWidget(excluded);
    if (!m_plan.skipped.isEmpty()) {
        auto *skipped = named<QLabel>(this, "PublishSkipped");
        skipped->setText(QStringLiteral("リンクなど %1 個は公開しません").arg(m_plan.skipped.size()));
        skipped->setToolTip(m_plan.skipped.mid(0, 20).join(u'\n'));
        layout->addWidget(skipped);
    }

    auto *buttons = named<QDialogButtonBox>(this, "PublishButtons");
    m_publish = buttons->addButton(QStringLiteral("公開"), QDialogButtonBox::AcceptRole);
    m_publish->setObjectName(QStringLiteral("PublishButton"));
    m_publish->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *row, int column) {
        // Setting the text read changes the item again: that second round has nothing to say.
        if (column != StateColumn || !CheckCellReading::readWithState(*row, StateColumn))
            return;
        CheckCellReading::announceChange(*m_list, *row, StateColumn);
        updateTotals();
    });
    updateTotals();
    // The site check's marks are longer words: the dialog widens for them, the file names keep
    // their room.
    if (m_siteLinks)
        m_list->header()->resizeSection(m_siteColumn, kSiteColumnWidth);
    resize(m_siteLinks ? 520 + kSiteColumnWidth : 520, 400);
}

PublishPlan::Plan PublishDialog::plan() const
{
    PublishPlan::Plan plan = m_plan;
    for (const auto &[row, index] : m_rows)
        plan.items[index].checked = row->checkState(StateColumn) == Qt::Checked;
    return plan;
}

bool PublishDialog::hasWork(const PublishPlan::Plan &plan)
{
    return std::any_of(plan.items.cbegin(), plan.items.cend(), [](const PublishPlan::Item &item) {
        return item.state != State::Unchanged && item.state != State::SameSize;
    });
}

QString PublishDialog::exclusionsText(const PublishPlan::Plan &plan)
{
    const QString patterns =
        plan.exclusionPatterns.isEmpty() ? QStringLiteral("（なし）") : SiteExclusions::joined(plan.exclusionPatterns);
    QString text =
        QStringLiteral("公開しないもの: %1 と、このプログラムの一時ファイル・プレビュー用のコピー").arg(patterns);
    if (!plan.excluded.isEmpty())
        text += QStringLiteral("（今回 %1 個を除きました）").arg(plan.excluded.size());
    return text;
}

QString PublishDialog::totalsText(const PublishPlan::Plan &plan)
{
    int sent = 0;
    qint64 bytes = 0;
    int deleted = 0;
    for (const PublishPlan::Item &item : plan.items) {
        if (!item.checked)
            continue;
        if (item.state == State::ServerOnly) {
            ++deleted;
        } else {
            ++sent;
            bytes += item.size;
        }
    }
    return QStringLiteral("送る %1 個（%2）、削除 %3 個、変更なし %4 個")
        .arg(sent)
        .arg(kilobytes(bytes))
        .arg(deleted)
        .arg(plan.count(State::Unchanged));
}

void PublishDialog::updateSiteMarks()
{
    // A tick decides what the server holds afterwards, so every mark may change with it.
    const QHash<qsizetype, PublishSiteMarks::Mark> marks = PublishSiteMarks::of(plan(), *m_siteLinks);
    const QSignalBlocker quiet(m_list);
    for (const auto &[row, index] : m_rows) {
        const PublishSiteMarks::Mark mark = marks.value(index);
        row->setText(m_siteColumn, mark.text);
        row->setToolTip(m_siteColumn, mark.details.join(u'\n'));
    }
}

void PublishDialog::updateTotals()
{
    if (m_siteLinks)
        updateSiteMarks();
    const PublishPlan::Plan ticked = plan();
    m_totals->setText(totalsText(ticked));
    m_publish->setEnabled(std::any_of(
        ticked.items.cbegin(), ticked.items.cend(), [](const PublishPlan::Item &item) { return item.checked; }));
}
