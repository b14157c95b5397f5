#include "preview/weblistwindow.h"

#include "common/anchorlayout.h"
#include "common/namedwidget.h"
#include "common/uifont.h"
#include "common/userdialogs.h"
#include "preview/browserengine.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// The designed window is 315 x 241 outside; this is its inside.
constexpr QSize kClientSize{307, 214};
constexpr int kIndent = 19;
constexpr int kAddressRole = Qt::UserRole;

const QString kNewCategory = QStringLiteral("新しい分類");

struct ModeTexts
{
    QString caption;
    QString label;
};

ModeTexts textsFor(WebListWindow::Mode mode)
{
    if (mode == WebListWindow::Mode::History)
        return {QStringLiteral("WEB履歴一覧"), QStringLiteral("今までご覧になったWEBの一覧です")};
    return {QStringLiteral("お気に入り一覧"), QStringLiteral("お気に入りの一覧です")};
}

QTreeWidgetItem *editableItem(const QString &text)
{
    auto *item = new QTreeWidgetItem(QStringList{text});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

} // namespace

WebListWindow::WebListWindow(
    UserDialogs &dialogs, Mode mode, const QStringList &lines, Services services, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_mode(mode), m_services(std::move(services)), m_dispatcher(dialogs, *this)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFont(UiFont::windowFont());
    const ModeTexts texts = textsFor(mode);
    setWindowTitle(texts.caption);
    setAccessibleName(texts.caption);
    buildControls();
    m_label->setText(texts.label);
    m_label->setAccessibleName(texts.label);
    m_tree->setAccessibleName(texts.caption);
    resize(kClientSize);
    fill(lines);

    m_dispatcher.add(QStringLiteral("Button1Click"), [this](int) { showSelected(); });
    m_dispatcher.add(QStringLiteral("Button2Click"), [this](int) { saveAndClose(); });
    m_dispatcher.add(QStringLiteral("Add1Click"), [this](int) { addCategory(); });
    m_dispatcher.add(QStringLiteral("Add2Click"), [this](int) { addToCategory(); });
    m_dispatcher.add(QStringLiteral("Delete1Click"), [this](int) { deleteSelected(); });
}

void WebListWindow::buildControls()
{
    auto *layout = new AnchorLayout(this, kClientSize);
    m_label = named<QLabel>(this, "Label1");
    layout->addWidget(m_label, {8, 8, 291, 14}, AnchorLayout::TopLeft);

    m_tree = named<QTreeWidget>(this, "TreeView1");
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(kIndent);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    // A right click opens the menu over the node that is selected, not the one under the mouse.
    m_tree->viewport()->installEventFilter(this);
    layout->addWidget(m_tree, {8, 26, 291, 146}, AnchorLayout::All);

    auto *show = named<QPushButton>(this, "Button1");
    show->setText(QStringLiteral("WEBに表示させる"));
    show->setAccessibleName(show->text());
    show->setAutoDefault(false);
    layout->addWidget(show, {8, 181, 137, 25}, AnchorLayout::Anchors(AnchorLayout::Left | AnchorLayout::Bottom));
    auto *close = named<QPushButton>(this, "Button2");
    close->setText(QStringLiteral("閉じる"));
    close->setAccessibleName(close->text());
    close->setAutoDefault(false);
    layout->addWidget(close, {224, 181, 75, 25}, AnchorLayout::Anchors(AnchorLayout::Right | AnchorLayout::Bottom));
    connect(show, &QPushButton::clicked, this, [this] { m_dispatcher.run(QStringLiteral("Button1Click")); });
    connect(close, &QPushButton::clicked, this, [this] { m_dispatcher.run(QStringLiteral("Button2Click")); });

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    const struct
    {
        const char *name;
        const char *caption;
        const char *handler;
    } items[] = {
        {"Add1", "新しい分類を作成", "Add1Click"},
        {"Add2", "この分類の下に追加", "Add2Click"},
        {"Delete1", "削除", "Delete1Click"},
    };
    for (const auto &item : items) {
        QAction *action = m_popup->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        const QString handler = QString::fromLatin1(item.handler);
        connect(action, &QAction::triggered, this, [this, handler] { m_dispatcher.run(handler); });
    }
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        m_popup->popup(m_tree->viewport()->mapToGlobal(pos));
    });
}

void WebListWindow::fill(const QStringList &lines)
{
    const WebListTree tree = WebListTree::fromLines(lines);
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    for (const WebListTree::Category &category : tree.categories) {
        QTreeWidgetItem *node = editableItem(category.text);
        for (const WebListTree::Entry &entry : category.entries)
            node->addChild(newEntry(entry.title, entry.address));
        m_tree->addTopLevelItem(node);
    }
    m_tree->setUpdatesEnabled(true);
}

QTreeWidgetItem *WebListWindow::newEntry(const QString &title, const QString &address) const
{
    QTreeWidgetItem *entry = editableItem(title);
    entry->setData(0, kAddressRole, address);
    return entry;
}

WebListTree WebListWindow::content() const
{
    WebListTree tree;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *node = m_tree->topLevelItem(i);
        WebListTree::Category category{node->text(0), {}};
        for (int j = 0; j < node->childCount(); ++j) {
            const QTreeWidgetItem *entry = node->child(j);
            category.entries.append({entry->text(0), entry->data(0, kAddressRole).toString()});
        }
        tree.categories.append(category);
    }
    return tree;
}

QTreeWidgetItem *WebListWindow::selectedNode() const
{
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

void WebListWindow::showSelected()
{
    // Only an entry has an address; a day or a category selected, or nothing, leaves the window
    // as it is rather than closing it on an empty page.
    const QTreeWidgetItem *node = selectedNode();
    if (m_tree->topLevelItemCount() == 0 || !node || !node->parent())
        return;
    if (m_services.browse)
        m_services.browse(node->data(0, kAddressRole).toString());
    saveAndClose();
}

void WebListWindow::saveAndClose()
{
    // Left open when the file cannot be written, so nothing the user did is lost.
    if (m_services.writeBack)
        m_services.writeBack(content().toLines(m_mode));
    m_tree->clear();
    accept();
}

QTreeWidgetItem *WebListWindow::categoryToAddTo() const
{
    if (m_mode != Mode::Favorites)
        return nullptr;
    if (!m_services.engine || m_services.engine->locationUrl().isEmpty())
        return nullptr;
    QTreeWidgetItem *node = selectedNode();
    return node && !node->parent() ? node : nullptr;
}

void WebListWindow::addCategory()
{
    QTreeWidgetItem *before = categoryToAddTo();
    if (!before)
        return;
    const QString name =
        m_dialogs
            .inputText(this, QStringLiteral("分類の追加"), QStringLiteral("新しい分類を入力してください"), kNewCategory)
            .value_or(kNewCategory);
    if (name.isEmpty() || content().hasCategory(name))
        return;
    QTreeWidgetItem *category = editableItem(name);
    category->addChild(newEntry(m_services.engine->locationName(), m_services.engine->locationUrl()));
    m_tree->insertTopLevelItem(m_tree->indexOfTopLevelItem(before), category);
}

void WebListWindow::addToCategory()
{
    if (QTreeWidgetItem *category = categoryToAddTo())
        category->addChild(newEntry(m_services.engine->locationName(), m_services.engine->locationUrl()));
}

void WebListWindow::deleteSelected()
{
    QTreeWidgetItem *node = selectedNode();
    if (!node)
        return;
    const MessageBoxRequest question{QStringLiteral("警告"),
                                     QStringLiteral("『") + node->text(0) + QStringLiteral("』を削除しますか"),
                                     DialogIcon::Warning,
                                     {DialogButton::Yes, DialogButton::No, DialogButton::Cancel},
                                     DialogButton::Cancel};
    if (m_dialogs.message(this, question) != DialogButton::Yes)
        return;
    // A category goes with its entries.
    delete node;
}

void WebListWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QWidget *owner = parentWidget())
        move(owner->window()->frameGeometry().center() - QPoint(width() / 2, height() / 2));
}

bool WebListWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tree->viewport()) {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease
            || type == QEvent::MouseButtonDblClick) {
            if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
