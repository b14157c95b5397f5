#include "app/sitesearchpanel.h"

#include "common/namedwidget.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// What a match row keeps to be opened: the page's file and the match's place in its text.
enum Role {
    PathRole = Qt::UserRole,
    StartRole,
    LengthRole,
    OrderRole, // a page's row: its place among the site's pages
};

struct Choice
{
    const char *name;
    const char *caption;
    const char *accessibleName;
    QCheckBox *SiteSearchPanel::*control;
};

} // namespace

SiteSearchPanel::SiteSearchPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SiteSearchPanel"));
    setAccessibleName(QStringLiteral("サイト内検索"));

    // Made in the order Tab goes through them: the text, the choices, the buttons, the results.
    auto *label = named<QLabel>(this, "SiteSearchLabel");
    label->setText(QStringLiteral("検索する文字列(&N):"));
    m_search = named<QLineEdit>(this, "SiteSearchEdit");
    m_search->setAccessibleName(QStringLiteral("検索する文字列"));
    label->setBuddy(m_search);
    // The text and the buttons on one line, the choices under them, so the box stays wide in
    // a narrow window.
    auto *top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(m_search, 1);
    auto *replaceLabel = named<QLabel>(this, "SiteReplaceLabel");
    replaceLabel->setText(QStringLiteral("置換後の文字列(&P):"));
    m_replace = named<QLineEdit>(this, "SiteReplaceEdit");
    m_replace->setAccessibleName(QStringLiteral("置換後の文字列"));
    replaceLabel->setBuddy(m_replace);
    auto *replaceRow = new QHBoxLayout;
    replaceRow->addWidget(replaceLabel);
    replaceRow->addWidget(m_replace, 1);
    auto *options = new QHBoxLayout;

    const Choice choices[] = {
        {"SiteSearchMatchCase", "大文字と小文字を区別(&C)", "大文字と小文字を区別", &SiteSearchPanel::m_matchCase},
        {"SiteSearchWholeWord", "単語単位(&W)", "単語単位", &SiteSearchPanel::m_wholeWord},
        {"SiteSearchRegex", "正規表現(&E)", "正規表現", &SiteSearchPanel::m_regex},
    };
    for (const Choice &choice : choices) {
        QCheckBox *box = named<QCheckBox>(this, choice.name);
        box->setText(QString::fromUtf8(choice.caption));
        box->setAccessibleName(QString::fromUtf8(choice.accessibleName));
        options->addWidget(box);
        this->*choice.control = box;
    }
    auto *start = named<QPushButton>(this, "SiteSearchStart");
    start->setText(QStringLiteral("検索(&S)"));
    start->setAccessibleName(QStringLiteral("検索"));
    m_stop = named<QPushButton>(this, "SiteSearchStop");
    m_stop->setText(QStringLiteral("中止(&T)"));
    m_stop->setAccessibleName(QStringLiteral("中止"));
    top->addWidget(start);
    top->addWidget(m_stop);
    m_preview = named<QPushButton>(this, "SiteReplacePreview");
    m_preview->setText(QStringLiteral("置換の確認(&R)..."));
    m_preview->setAccessibleName(QStringLiteral("置換の確認"));
    replaceRow->addWidget(m_preview);

    // Its text changes with every run, so a screen reader reads the text, told what it is.
    m_status = named<QLabel>(this, "SiteSearchStatus");
    m_status->setAccessibleDescription(QStringLiteral("サイト内検索の結果と正規表現の誤り"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_status->setFocusPolicy(Qt::NoFocus);

    m_results = named<QTreeWidget>(this, "SiteSearchResults");
    m_results->setAccessibleName(QStringLiteral("見つかったページと行"));
    m_results->setHeaderHidden(true);
    m_results->setColumnCount(1);
    m_results->setUniformRowHeights(true);

    auto *layout = new QVBoxLayout(this);
    options->addStretch(1);
    layout->addLayout(top);
    layout->addLayout(replaceRow);
    layout->addLayout(options);
    layout->addWidget(m_status);
    layout->addWidget(m_results, 1);

    connect(m_search, &QLineEdit::returnPressed, this, &SiteSearchPanel::searchRequested);
    connect(start, &QPushButton::clicked, this, &SiteSearchPanel::searchRequested);
    connect(m_stop, &QPushButton::clicked, this, &SiteSearchPanel::stopRequested);
    connect(m_replace, &QLineEdit::returnPressed, this, &SiteSearchPanel::replaceRequested);
    connect(m_preview, &QPushButton::clicked, this, &SiteSearchPanel::replaceRequested);
    connect(m_results, &QTreeWidget::itemActivated, this, [this](const QTreeWidgetItem *item) { choose(item); });
    setRunning(false);
}

QString SiteSearchPanel::searchText() const
{
    return m_search->text();
}

void SiteSearchPanel::setSearchText(const QString &text)
{
    m_search->setText(text);
}

ReplaceRules::Options SiteSearchPanel::options() const
{
    return {m_matchCase->isChecked(), m_wholeWord->isChecked(), m_regex->isChecked()};
}

QString SiteSearchPanel::replacementText() const
{
    return m_replace->text();
}

void SiteSearchPanel::focusReplacementText()
{
    m_replace->setFocus();
    m_replace->selectAll();
}

void SiteSearchPanel::focusSearchText()
{
    m_search->setFocus();
    m_search->selectAll();
}

void SiteSearchPanel::clearResults()
{
    m_results->clear();
}

void SiteSearchPanel::addPage(int order,
                              const QString &localPath,
                              const QString &shownPath,
                              const QList<SiteSearchRules::Match> &matches)
{
    // Pages mostly come in order: the place is looked for from the end.
    int at = m_results->topLevelItemCount();
    while (at > 0 && m_results->topLevelItem(at - 1)->data(0, OrderRole).toInt() > order)
        --at;
    // Made whole before it goes into the list: rows added under a page already in it would each
    // tell the view, which then lays out a large batch row by row.
    auto *page = new QTreeWidgetItem({SiteSearchRules::pageText(shownPath, matches.size())});
    page->setData(0, OrderRole, order);
    page->setToolTip(0, localPath);
    QList<QTreeWidgetItem *> rows;
    rows.reserve(matches.size());
    for (const SiteSearchRules::Match &match : matches) {
        auto *row = new QTreeWidgetItem({SiteSearchRules::rowText(match)});
        row->setData(0, PathRole, localPath);
        row->setData(0, StartRole, match.range.start);
        row->setData(0, LengthRole, match.range.length);
        rows.append(row);
    }
    page->addChildren(rows);
    m_results->insertTopLevelItem(at, page);
    page->setExpanded(true);
    if (!m_results->currentItem())
        m_results->setCurrentItem(page);
}

void SiteSearchPanel::setStatus(const QString &text)
{
    m_status->setText(text);
}

void SiteSearchPanel::setRunning(bool running)
{
    m_stop->setEnabled(running);
    m_preview->setEnabled(!running);
}

void SiteSearchPanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        emit leaveRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SiteSearchPanel::choose(const QTreeWidgetItem *item)
{
    const QString path = item->data(0, PathRole).toString();
    // A page's own row opens and closes its matches as any tree row does.
    if (path.isEmpty())
        return;
    emit matchChosen(path, {item->data(0, StartRole).toInt(), item->data(0, LengthRole).toInt()});
}
