#include "app/aboutbox.h"

#include "common/anchorlayout.h"
#include "common/namedwidget.h"
#include "common/uifont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kIconSize = 33;
constexpr int kProductNamePixels = 21;
constexpr int kNoteWidth = 240;

struct Note
{
    const char *name;
    const char16_t *text;
    QPoint at;
    int height;
};

// One line each at the window font: the design spaces them 32 pixels apart. The last line is
// underlined: it is the one the user should act on.
constexpr Note kNotes[] = {
    {"Comments", u"初心者のための HTML エディタです", {24, 64}, 28},
    {"Copyright", u"作者: QZWeb 開発チーム", {24, 96}, 28},
    {"Terms", u"無料で自由に使えます。無保証です", {24, 128}, 28},
    {"Notice", u"使い方は「ヘルプ」をご覧ください", {32, 168}, 19},
};

} // namespace

AboutBox::AboutBox(UserDialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAccessibleName(windowTitle());
    setFont(UiFont::windowFont());
    setModal(false);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    buildControls();
    setFixedSize(kClientSize);
}

void AboutBox::buildControls()
{
    auto *layout = new AnchorLayout(this, kClientSize);

    auto *icon = named<QLabel>(this, "ProgramIcon");
    icon->setPixmap(QGuiApplication::windowIcon().pixmap(kIconSize, kIconSize));
    icon->setScaledContents(true);
    icon->setAccessibleName(QStringLiteral("QZWeb のアイコン"));
    layout->addWidget(icon, {32, 16, kIconSize, kIconSize});

    auto *product = named<QLabel>(this, "ProductName");
    product->setText(QStringLiteral("QZWeb"));
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(kProductNamePixels);
    product->setFont(bold);
    layout->addWidget(product, {80, 16, product->sizeHint().width(), product->sizeHint().height()});

    auto *version = named<QLabel>(this, "Version");
    version->setText(QStringLiteral("バージョン１．５"));
    layout->addWidget(version, {96, 40, version->sizeHint().width(), version->sizeHint().height()});

    for (const Note &note : kNotes) {
        auto *label = named<QLabel>(this, note.name);
        label->setText(QString::fromUtf16(note.text));
        label->setWordWrap(true);
        layout->addWidget(label, {note.at.x(), note.at.y(), kNoteWidth, note.height});
    }
    QLabel *last = findChild<QLabel *>(QString::fromLatin1(std::end(kNotes)[-1].name));
    QFont underlined = last->font();
    underlined.setUnderline(true);
    last->setFont(underlined);

    auto *ok = named<QPushButton>(this, "OKButton");
    ok->setText(QStringLiteral("OK"));
    ok->setDefault(true);
    // Esc rejects a dialog, which hides it just as OK does: both keys close the box.
    connect(ok, &QPushButton::clicked, this, &AboutBox::accept);
    layout->addWidget(ok, {111, 188, 75, 25});
}

void AboutBox::showCentred()
{
    // Placed once shown, when the window manager's frame is known: the frame is what is centred.
    show();
    if (const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    raise();
    activateWindow();
}
