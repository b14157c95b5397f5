#include "app/helpwindow.h"

#include "app/helpbrowser.h"
#include "common/usererror.h"

#include <QHBoxLayout>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr QSize kStartSize{860, 600};
constexpr int kSideWidth = 260;
const QString kStartPageName = QStringLiteral("index.html");

} // namespace

HelpWindow::HelpWindow(const QString &collectionPath, QWidget *parent)
    : QWidget(parent, Qt::Window), m_engine(new QHelpEngine(collectionPath, this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("QZWeb ヘルプ"));
    setAccessibleName(windowTitle());
    // The manual is installed with the program and only read: nothing is registered or filtered.
    m_engine->setReadOnly(true);
    if (!m_engine->setupData())
        throw UserError(QStringLiteral("ヘルプファイルを読めません (%1: %2)").arg(collectionPath, m_engine->error()));
    const QStringList namespaces = m_engine->registeredDocumentations();
    if (namespaces.isEmpty())
        throw UserError(QStringLiteral("ヘルプファイルにマニュアルがありません (%1)").arg(collectionPath));
    m_namespace = namespaces.first();
    buildControls();
    resize(kStartSize);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::buildControls()
{
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(splitter);

    m_tabs = new QTabWidget(splitter);
    m_tabs->setObjectName(QStringLiteral("HelpTabs"));
    m_tabs->setAccessibleName(QStringLiteral("目次・索引・検索"));

    QHelpContentWidget *contents = m_engine->contentWidget();
    contents->setObjectName(QStringLiteral("HelpContents"));
    contents->setAccessibleName(QStringLiteral("目次"));
    m_tabs->addTab(contents, QStringLiteral("目次"));

    auto *indexPage = new QWidget;
    auto *indexLayout = new QVBoxLayout(indexPage);
    auto *indexPrompt = new QLabel(QStringLiteral("調べる言葉の最初の文字を入力してください:"), indexPage);
    indexPrompt->setWordWrap(true);
    m_indexFilter = new QLineEdit(indexPage);
    m_indexFilter->setObjectName(QStringLiteral("HelpIndexFilter"));
    m_indexFilter->setAccessibleName(indexPrompt->text());
    indexPrompt->setBuddy(m_indexFilter);
    QHelpIndexWidget *index = m_engine->indexWidget();
    index->setObjectName(QStringLiteral("HelpIndex"));
    index->setAccessibleName(QStringLiteral("索引"));
    indexLayout->addWidget(indexPrompt);
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(index);
    m_tabs->addTab(indexPage, QStringLiteral("索引"));

    auto *searchPage = new QWidget;
    auto *searchLayout = new QVBoxLayout(searchPage);
    auto *searchPrompt =
        new QLabel(QStringLiteral("探す言葉を入力してください (空白で区切ると、すべてを含むページ):"), searchPage);
    searchPrompt->setWordWrap(true);
    m_searchText = new QLineEdit(searchPage);
    m_searchText->setObjectName(QStringLiteral("HelpSearchText"));
    m_searchText->setAccessibleName(QStringLiteral("探す言葉"));
    searchPrompt->setBuddy(m_searchText);
    auto *searchButton = new QPushButton(QStringLiteral("検索"), searchPage);
    searchButton->setObjectName(QStringLiteral("HelpSearchButton"));
    searchButton->setAccessibleName(searchButton->text());
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(m_searchText);
    searchRow->addWidget(searchButton);
    m_searchStatus = new QLabel(searchPage);
    m_searchStatus->setObjectName(QStringLiteral("HelpSearchStatus"));
    m_searchStatus->setAccessibleDescription(QStringLiteral("見つかったページの数"));
    m_results = new QListWidget(searchPage);
    m_results->setObjectName(QStringLiteral("HelpSearchResults"));
    m_results->setAccessibleName(QStringLiteral("見つかったページ"));
    m_results->setWordWrap(true);
    m_results->setSpacing(2);
    m_results->setAlternatingRowColors(true);
    searchLayout->addWidget(searchPrompt);
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(m_searchStatus);
    searchLayout->addWidget(m_results);
    m_tabs->addTab(searchPage, QStringLiteral("検索"));

    m_page = new HelpBrowser(*m_engine, splitter);
    m_page->setObjectName(QStringLiteral("HelpPage"));
    m_page->setAccessibleName(QStringLiteral("ヘルプのページ"));
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_page);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kSideWidth, kStartSize.width() - kSideWidth});

    connect(contents, &QHelpContentWidget::linkActivated, m_page, [this](const QUrl &url) { m_page->setSource(url); });
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, &HelpWindow::onContentsCreated);
    connect(
        m_indexFilter, &QLineEdit::textChanged, index, [index](const QString &text) { index->filterIndices(text); });
    connect(m_indexFilter, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, m_page, [this](const QHelpLink &document, const QString &) {
        m_page->setSource(document.url);
    });
    connect(index,
            &QHelpIndexWidget::documentsActivated,
            m_page,
            [this](const QList<QHelpLink> &documents, const QString &) {
                if (!documents.isEmpty())
                    m_page->setSource(documents.first().url);
            });
    auto runSearch = [this] { search(m_searchText->text()); };
    connect(searchButton, &QPushButton::clicked, this, runSearch);
    connect(m_searchText, &QLineEdit::returnPressed, this, runSearch);
    connect(m_results, &QListWidget::itemActivated, this, &HelpWindow::openResult);
    connect(m_results, &QListWidget::itemClicked, this, &HelpWindow::openResult);
}

QUrl HelpWindow::startPage() const
{
    QUrl url;
    url.setScheme(QStringLiteral("qthelp"));
    url.setHost(m_namespace);
    url.setPath(QStringLiteral("/doc/") + kStartPageName);
    return url;
}

void HelpWindow::showContents()
{
    m_tabs->setCurrentIndex(kContentsTab);
    m_page->setSource(startPage());
}

void HelpWindow::onContentsCreated()
{
    QHelpContentWidget *contents = m_engine->contentWidget();
    contents->expandToDepth(0);
    const QModelIndex first = contents->model()->index(0, 0);
    if (first.isValid())
        contents->setCurrentIndex(first);
    m_contentsCreated = true;
    emit contentsReady();
}

void HelpWindow::buildSearchIndex()
{
    for (const QUrl &url : m_engine->files(m_namespace, QString(), QStringLiteral("html")))
        m_searchIndex.addPage(url.toString(), QString::fromUtf8(m_engine->fileData(url)));
    m_searchIndexBuilt = true;
}

int HelpWindow::search(const QString &query)
{
    if (!m_searchIndexBuilt)
        buildSearchIndex();
    m_tabs->setCurrentIndex(kSearchTab);
    if (m_searchText->text() != query)
        m_searchText->setText(query);
    m_results->clear();
    const QList<HelpSearchIndex::Hit> hits = m_searchIndex.find(query);
    for (const HelpSearchIndex::Hit &hit : hits) {
        auto *item = new QListWidgetItem(hit.title + QLatin1Char('\n') + hit.excerpt, m_results);
        item->setData(Qt::UserRole, hit.url);
        item->setToolTip(hit.excerpt);
    }
    m_searchStatus->setText(hits.isEmpty() ? QStringLiteral("見つかりませんでした")
                                           : QStringLiteral("%1 ページ見つかりました").arg(hits.size()));
    return static_cast<int>(hits.size());
}

void HelpWindow::openResult(QListWidgetItem *item)
{
    if (!item)
        return;
    m_page->setSource(QUrl(item->data(Qt::UserRole).toString()));
    // Show where the word stands on the page: its first occurrence is selected.
    const QString word = m_searchText->text().simplified().section(QLatin1Char(' '), 0, 0);
    if (!word.isEmpty())
        m_page->find(word);
}
