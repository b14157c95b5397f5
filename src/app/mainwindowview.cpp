#include "app/mainwindowview.h"

#include "app/pagetabs.h"
#include "app/statusbar.h"
#include "authoring/editorpane.h"
#include "authoring/editorstack.h"
#include "authoring/sourceview.h"
#include "common/anchorlayout.h"
#include "common/namedwidget.h"
#include "preview/previewarea.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The client area below the menu bar and above the status bar, as designed.
constexpr QSize kDesignClientSize(634, 441 - StatusBar::kHeight);

const QColor kPurple(0x80, 0x00, 0x80);
const QColor kFuchsia(0xFF, 0x00, 0xFF);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kAqua(0x00, 0xFF, 0xFF);

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::ButtonText, color);
    widget->setPalette(p);
}

void setBackground(QWidget *widget, const QColor &color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, color);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

// A radio button whose caption stands left of the button, in the given text colour.
QRadioButton *radio(QWidget *parent, const char *name, const char *caption, const QColor &color)
{
    auto *button = named<QRadioButton>(parent, name);
    button->setText(QString::fromUtf8(caption));
    button->setLayoutDirection(Qt::RightToLeft);
    // The designed widths leave little room beside the indicator; a narrow gap keeps "http" whole.
    button->setStyleSheet(QStringLiteral("QRadioButton { spacing: 1px; }"));
    setTextColor(button, color);
    return button;
}

QPushButton *pushButton(QWidget *parent, const char *name, const char *caption, bool tabStop = true)
{
    auto *button = named<QPushButton>(parent, name);
    button->setText(QString::fromUtf8(caption));
    button->setAutoDefault(false);
    if (!tabStop)
        button->setFocusPolicy(Qt::ClickFocus);
    return button;
}

// A flat picture button; its tooltip is also its accessible name.
QToolButton *pictureButton(QWidget *parent, const char *name, const char *tooltip, QStyle::StandardPixmap picture)
{
    auto *button = named<QToolButton>(parent, name);
    button->setAutoRaise(true);
    button->setIcon(parent->style()->standardIcon(picture));
    button->setToolTip(QString::fromUtf8(tooltip));
    button->setAccessibleName(button->toolTip());
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

MainWindowView MainWindowView::build(QMainWindow *window, DocumentRegistry &registry)
{
    MainWindowView v;
    auto *client = new QWidget(window);
    client->setObjectName(QStringLiteral("Form1Client"));
    client->setAccessibleName(QStringLiteral("QZWeb"));
    setBackground(client, kPurple);
    auto *layout = new AnchorLayout(client, kDesignClientSize);

    v.radioHttp = radio(client, "RadioButton1", "http", kFuchsia);
    v.radioFile = radio(client, "RadioButton2", "file", kFuchsia);
    v.radioFile->setChecked(true);
    v.previewButton = pushButton(client, "Button1", "反映", false);

    v.onlineGroup = new QGroupBox(client);
    v.onlineGroup->setObjectName(QStringLiteral("GroupBox1"));
    v.onlineGroup->setAccessibleName(QStringLiteral("オンライン・オフライン"));
    v.radioOnline = radio(v.onlineGroup, "RadioButton3", "ｵﾝﾗｲﾝ", kRed);
    v.radioOffline = radio(v.onlineGroup, "RadioButton4", "ｵﾌﾗｲﾝ", kAqua);
    v.radioOffline->setChecked(true);
    v.radioOnline->setGeometry(16, 16, 65, 17);
    v.radioOffline->setGeometry(16, 40, 65, 17);

    v.backButton = pictureButton(client, "SpeedButton1", "前のﾍﾟｰｼﾞへ", QStyle::SP_ArrowBack);
    v.stopButton = pictureButton(client, "SpeedButton3", "wep表示をやめる", QStyle::SP_BrowserStop);
    v.forwardButton = pictureButton(client, "SpeedButton2", "次のﾍﾟｰｼﾞへ", QStyle::SP_ArrowForward);
    v.transferButton = pictureButton(client, "SpeedButton4", "ファイル転送", QStyle::SP_DriveNetIcon);
    v.favoritesButton = pushButton(client, "Button3", "お気に入り");
    v.historyButton = pushButton(client, "Button4", "WEB履歴");
    v.exitButton = pushButton(client, "Button2", "終了", false);

    v.pageWidth = new QComboBox(client);
    v.pageWidth->setObjectName(QStringLiteral("cmbPreviewWidth"));
    v.pageWidth->setAccessibleName(QStringLiteral("プレビューの幅"));
    v.pageWidth->setToolTip(QStringLiteral("ページをパソコンの幅で見るか、スマホの幅で見るか"));

    v.urlBox = new QComboBox(client);
    v.urlBox->setObjectName(QStringLiteral("cmbURL"));
    v.urlBox->setEditable(true);
    v.urlBox->setInsertPolicy(QComboBox::NoInsert);
    v.urlBox->setAccessibleName(QStringLiteral("アドレス"));
    v.urlBox->lineEdit()->setAccessibleName(v.urlBox->accessibleName());

    v.panel = new QFrame(client);
    v.panel->setObjectName(QStringLiteral("Panel1"));
    v.panel->setAccessibleName(QStringLiteral("編集とプレビュー"));
    setBackground(v.panel, Qt::white);
    auto *panelLayout = new QVBoxLayout(v.panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    v.splitter = new QSplitter(Qt::Vertical, v.panel);
    v.splitter->setObjectName(QStringLiteral("Splitter1"));
    v.splitter->setAccessibleName(QStringLiteral("区切り"));
    // A bar one pixel high is all but impossible to catch with the mouse; the style's own handle,
    // never thinner than a few pixels, shows the platform's grip and the resize cursor.
    v.splitter->setHandleWidth(
        qMax(v.splitter->style()->pixelMetric(QStyle::PM_SplitterWidth, nullptr, v.splitter), kMinimumSplitterHeight));
    v.splitter->setChildrenCollapsible(false);
    v.tabs = new PageTabs(registry, v.splitter);
    v.editor = &v.tabs->editorOf(v.tabs->addPage());
    v.preview = new PreviewArea(v.splitter);
    v.splitter->addWidget(v.tabs);
    v.splitter->addWidget(v.preview);
    v.splitter->setStretchFactor(0, 0);
    v.splitter->setStretchFactor(1, 1);
    v.splitter->setSizes({kEditorHeight, 401 - kEditorHeight - v.splitter->handleWidth()});
    // The bar in the button-face colour, so it stands out between the white panes.
    QSplitterHandle *handle = v.splitter->handle(1);
    handle->setObjectName(QStringLiteral("Splitter1Handle"));
    handle->setAccessibleName(v.splitter->accessibleName());
    QPalette handlePalette = handle->palette();
    handlePalette.setColor(QPalette::Window, handlePalette.color(QPalette::Button));
    handle->setPalette(handlePalette);
    handle->setAutoFillBackground(true);
    panelLayout->addWidget(v.splitter);

    layout->addWidget(v.radioHttp, {48, 0, 41, 17});
    layout->addWidget(v.radioFile, {48, 24, 41, 17});
    layout->addWidget(v.previewButton, {16, 56, 75, 25});
    layout->addWidget(v.onlineGroup, {2, 96, 97, 65});
    layout->addWidget(v.backButton, {10, 176, 27, 20});
    layout->addWidget(v.stopButton, {38, 176, 27, 20});
    layout->addWidget(v.forwardButton, {66, 176, 27, 20});
    layout->addWidget(v.transferButton, {24, 200, 57, 20});
    layout->addWidget(v.favoritesButton, {16, 232, 75, 25});
    layout->addWidget(v.historyButton, {16, 264, 75, 25});
    layout->addWidget(v.exitButton, {16, 296, 75, 25});
    layout->addWidget(v.pageWidth, {6, 332, 89, 22});
    layout->addWidget(v.urlBox, {101, 0, 531, 20}, AnchorLayout::TopLeftRight);
    layout->addWidget(v.panel, {101, 21, 532, 401}, AnchorLayout::All);
    window->setCentralWidget(client);

    v.statusBar = new StatusBar(window);
    window->setStatusBar(v.statusBar);
    v.progressBar = new QProgressBar(window);
    v.progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    v.progressBar->setAccessibleName(QStringLiteral("読み込みの進み具合"));
    v.progressBar->setRange(0, 100);
    v.progressBar->resize(150, 16);
    v.progressBar->setTextVisible(false);
    v.progressBar->hide();

    // Explicit groups: left to themselves, radio buttons count every radio button below their
    // parent (the frame's too) as one Tab group, and Tab would then never reach ｵﾝﾗｲﾝ/ｵﾌﾗｲﾝ.
    for (const auto &[first, second] :
         {std::pair{v.radioHttp, v.radioFile}, std::pair{v.radioOnline, v.radioOffline}}) {
        auto *group = new QButtonGroup(client);
        group->addButton(first);
        group->addButton(second);
    }
    QWidget::setTabOrder(v.radioHttp, v.radioFile);
    QWidget::setTabOrder(v.radioFile, v.pageWidth);
    QWidget::setTabOrder(v.pageWidth, v.radioOnline);
    QWidget::setTabOrder(v.radioOnline, v.backButton);
    QWidget::setTabOrder(v.backButton, v.stopButton);
    QWidget::setTabOrder(v.stopButton, v.forwardButton);
    QWidget::setTabOrder(v.forwardButton, v.transferButton);
    QWidget::setTabOrder(v.transferButton, v.favoritesButton);
    QWidget::setTabOrder(v.favoritesButton, v.historyButton);
    QWidget::setTabOrder(v.historyButton, v.urlBox);
    // Only the view in use is shown, and Tab skips the hidden one.
    QWidget::setTabOrder(v.urlBox, &v.editor->sourceView());
    QWidget::setTabOrder(&v.editor->sourceView(), &v.editor->richPane());
    return v;
}

int MainWindowView::editorHeight() const
{
    return splitter->sizes().value(0);
}

void MainWindowView::shareEvenly() const
{
    splitter->setStretchFactor(0, 1);
    // Before the first layout the splitter's height is not known yet; equal sizes share whatever
    // it turns out to be in equal parts.
    const int half = splitter->height();
    splitter->setSizes({half, half});
}

void MainWindowView::setEditorHeight(QSplitter &splitter, int height)
{
    const QList<int> sizes = splitter.sizes();
    int total = 0;
    for (int s : sizes)
        total += s;
    splitter.setSizes({height, qMax(0, total - height)});
}
