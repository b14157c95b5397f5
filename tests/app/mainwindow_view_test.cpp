#include "app/statusbar.h"
#include "authoring/editorstack.h"
#include "preview/previewarea.h"
#include "support/mainwindowfixture.h"
#include "transfer/transferwindow.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QSplitter>
#include <QTest>
#include <QToolButton>

namespace {

class MainWindowView_ : public MainWindowFixture
{
protected:
    StatusBar *statusBar() const { return control<StatusBar>(QStringLiteral("StatusBar1")); }
    TransferWindow *transfer() const { return control<TransferWindow>(QStringLiteral("Ftp1")); }
};

TEST_F(MainWindowView_, ControlsStandAtTheirDesignedPlacesAndStretchWithTheWindow)
{
    EXPECT_EQ(window->centralWidget()->size(), QSize(634, 422));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cmbURL"))->geometry(), QRect(101, 0, 531, 20));
    EXPECT_EQ(control<QFrame>(QStringLiteral("Panel1"))->geometry(), QRect(101, 21, 532, 401));
    EXPECT_EQ(control<QToolButton>(QStringLiteral("SpeedButton4"))->geometry(), QRect(24, 200, 57, 20));
    EXPECT_EQ(statusBar()->height(), StatusBar::kHeight);

    window->resize(window->width() + 100, window->height() + 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cmbURL"))->geometry(), QRect(101, 0, 631, 20));
    EXPECT_EQ(control<QFrame>(QStringLiteral("Panel1"))->geometry(), QRect(101, 21, 632, 461));
    EXPECT_EQ(control<QToolButton>(QStringLiteral("SpeedButton4"))->geometry(), QRect(24, 200, 57, 20));
}

TEST_F(MainWindowView_, StatusPanelOneKeepsItsWidthAndPanelZeroTakesTheRest)
{
    for (int width : {634, 700, 1200, 640}) {
        window->resize(width, window->height());
        QCoreApplication::processEvents();
        const int bar = statusBar()->width();
        EXPECT_EQ(statusBar()->panelWidth(1), StatusBar::kCreditPanelWidth) << width;
        // The encoding stands after the two panels, at the right end of the bar.
        EXPECT_EQ(statusBar()->panelWidth(StatusBar::kEncodingPanel), StatusBar::kEncodingPanelWidth) << width;
        EXPECT_EQ(statusBar()->panelWidth(0), bar - StatusBar::kCreditPanelWidth - StatusBar::kEncodingPanelWidth)
            << width;
        EXPECT_EQ(control<QProgressBar>(QStringLiteral("ProgressBar1"))->width(), 400) << width;
    }
    EXPECT_FALSE(statusBar()->panelText(1).isEmpty());
}

TEST_F(MainWindowView_, MaximizeAndRestoreSetTheEditorHeightWhateverItWasDraggedTo)
{
    window->view().setEditorHeight(200);
    ASSERT_EQ(window->view().editorHeight(), 200);
    trigger(QStringLiteral("mnuWebMAX"));
    EXPECT_EQ(window->view().editorHeight(), 1);
    trigger(QStringLiteral("mnuWebUndo"));
    EXPECT_EQ(window->view().editorHeight(), MainWindowView::kEditorHeight);
    trigger(QStringLiteral("mnuWebUndo"));
    EXPECT_EQ(window->view().editorHeight(), MainWindowView::kEditorHeight);
}

// The bar between editor and preview is thick enough to catch, shows the style's grip and the
// resize cursor, and a drag moves it.
TEST_F(MainWindowView_, TheSplitterBarCanBeGrabbedAndDragged)
{
    auto *splitter = control<QSplitter>(QStringLiteral("Splitter1"));
    ASSERT_NE(splitter, nullptr);
    QSplitterHandle *handle = splitter->handle(1);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->objectName(), QStringLiteral("Splitter1Handle"));
    EXPECT_GE(handle->height(), MainWindowView::kMinimumSplitterHeight);
    EXPECT_LE(handle->height(), 12);
    EXPECT_EQ(handle->width(), splitter->width());
    EXPECT_EQ(handle->cursor().shape(), Qt::SplitVCursor);
    const int startHeight = window->view().editorHeight();
    EXPECT_EQ(handle->y(), startHeight);
    EXPECT_EQ(window->view().preview->geometry().bottom(), splitter->height() - 1);

    // The grip: the bar is painted in the button-face colour with marks of another colour on it.
    const QImage bar = handle->grab().toImage();
    const QRgb face = handle->palette().color(QPalette::Button).rgb();
    int facePixels = 0;
    int gripPixels = 0;
    for (int y = 0; y < bar.height(); ++y) {
        for (int x = 0; x < bar.width(); ++x)
            ++(bar.pixel(x, y) == face ? facePixels : gripPixels);
    }
    EXPECT_GT(facePixels, bar.width() * bar.height() / 2);
    EXPECT_GT(gripPixels, 0);

    // A drag with the left button: press on the bar, move, release.
    // The pointer's screen positions are fixed at the press; the bar moves under it.
    const auto drag = [handle](int dy) {
        const QPoint start = handle->mapToGlobal(handle->rect().center());
        const auto send = [handle](QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, handle->mapFromGlobal(global), global, button, held, Qt::NoModifier);
            QApplication::sendEvent(handle, &event);
        };
        send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, start + QPoint(0, dy / 2), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, start + QPoint(0, dy), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, start + QPoint(0, dy), Qt::LeftButton, Qt::NoButton);
    };
    drag(40);
    EXPECT_EQ(window->view().editorHeight(), startHeight + 40);
    drag(-70);
    EXPECT_EQ(window->view().editorHeight(), startHeight - 30);
    // Dragged far past either end, the editor keeps at least a pixel row and the bar stays
    // inside the panel, where it can be caught again.
    drag(-1000);
    EXPECT_GE(window->view().editorHeight(), 1);
    EXPECT_TRUE(splitter->rect().contains(handle->geometry()));
    drag(3000);
    EXPECT_TRUE(splitter->rect().contains(handle->geometry()));
    drag(-100);
    EXPECT_EQ(handle->geometry().bottom(), splitter->height() - 1 - 100);
}

TEST_F(MainWindowView_, TheTransferWindowTakesTheCurrentFolderOnlyWhenItWasHidden)
{
    ASSERT_FALSE(transfer()->isVisible());
    trigger(QStringLiteral("mnuFTP"));
    EXPECT_TRUE(transfer()->isVisible());
    EXPECT_EQ(transfer()->localFolder(), work.path());

    QDir(work.path()).mkdir(QStringLiteral("other"));
    QDir::setCurrent(workPath(QStringLiteral("other")));
    control<QToolButton>(QStringLiteral("SpeedButton4"))->click();
    EXPECT_TRUE(transfer()->isVisible());
    EXPECT_EQ(transfer()->localFolder(), work.path());

    transfer()->hide();
    trigger(QStringLiteral("mnuFTP"));
    EXPECT_EQ(transfer()->localFolder(), workPath(QStringLiteral("other")));
}

TEST_F(MainWindowView_, EditorFontAppliesTheChosenFontToTheSelectionOnly)
{
    EditorStack *editor = window->view().editor;
    editor->setPlainText(QStringLiteral("abc def"));
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);

    QFont chosen(QStringLiteral("Noto Sans CJK JP"));
    chosen.setPointSize(20);
    chosen.setBold(true);
    dialogs.fontAnswers.enqueue(FontChoice{chosen, QColor(Qt::red)});
    trigger(QStringLiteral("N9"));
    ASSERT_EQ(dialogs.fontRequests.size(), 1);

    QTextCursor probe(editor->document());
    probe.setPosition(2);
    EXPECT_TRUE(probe.charFormat().font().bold());
    EXPECT_EQ(probe.charFormat().font().pointSize(), 20);
    EXPECT_EQ(probe.charFormat().foreground().color(), QColor(Qt::red));
    probe.setPosition(6);
    EXPECT_FALSE(probe.charFormat().font().bold());

    dialogs.fontAnswers.enqueue(std::nullopt);
    cursor.setPosition(4);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
    trigger(QStringLiteral("N9"));
    probe.setPosition(6);
    EXPECT_FALSE(probe.charFormat().font().bold());
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("abc def"));
}

// A screen reader names every control by its caption, or by its tooltip for a picture button.
TEST_F(MainWindowView_, EveryNamedControlHasAnAccessibleName)
{
    int checked = 0;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))
            || !w->isVisibleTo(window.get()))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(iface, nullptr) << w->objectName().toStdString();
        EXPECT_FALSE(iface->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 18);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(control<QToolButton>(QStringLiteral("SpeedButton1")))
                  ->text(QAccessible::Name),
              QStringLiteral("前のﾍﾟｰｼﾞへ"));
}

// A label is read by its text, never by a fixed name that would hide it: the caret position,
// the encoding, and in the transfer window the remote folder, the site counter, the status and
// the progress are what a screen reader says; their descriptions say what the text is.
TEST_F(MainWindowView_, EveryLabelIsReadByItsText)
{
    window->view().editor->insertPlainText(QStringLiteral("a"));
    QLabel *caret = nullptr;
    int checked = 0;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text()))
            continue;
        if (label->text() == QStringLiteral("1行 2桁"))
            caret = label;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(label);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->text(QAccessible::Name), QString(label->text()).remove(QLatin1Char('&')))
            << label->objectName().toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 10);
    ASSERT_NE(caret, nullptr) << "the caret panel shows where the caret is";
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(caret)->text(QAccessible::Description).isEmpty());
}

// The keyboard reaches every control: pressing Tab walks through the window in the designed
// order, entering each radio pair once (at its checked button), and skips 反映 and 終了, which the
// design leaves out of the Tab order (F5 and the File menu reach them instead). The editing pane
// keeps Tab as a character, so the walk starts after it and ends when it gets there.
TEST_F(MainWindowView_, TabWalksTheControlsInTheDesignedOrder)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // The window opens with file mode checked.
    QWidget *first = control<QWidget>(QStringLiteral("RadioButton2"));
    first->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), first);

    // The address box's focus sits in its line edit; name the control that owns it.
    auto namedOwner = [](QWidget *w) {
        while (w && (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))))
            w = w->parentWidget();
        return w ? w->objectName() : QString();
    };
    QStringList path{namedOwner(QApplication::focusWidget())};
    for (int step = 0; step < 20 && path.last() != QLatin1String("RichEdit1"); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        path.append(namedOwner(QApplication::focusWidget()));
    }
    // Each radio pair is entered once, at the button the chain names (ｵﾝﾗｲﾝ for the second pair).
    const QStringList expected = {"RadioButton2",
                                  "cmbPreviewWidth",
                                  "RadioButton3",
                                  "SpeedButton1",
                                  "SpeedButton3",
                                  "SpeedButton2",
                                  "SpeedButton4",
                                  "Button3",
                                  "Button4",
                                  "cmbURL",
                                  "RichEdit1"};
    EXPECT_EQ(path.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());

    // Shift+Tab walks the same path back from the address box.
    control<QWidget>(QStringLiteral("cmbURL"))->setFocus(Qt::TabFocusReason);
    QStringList back{namedOwner(QApplication::focusWidget())};
    for (int step = 0; step < 20 && back.last() != QLatin1String("RadioButton2"); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        back.append(namedOwner(QApplication::focusWidget()));
    }
    QStringList reversed(expected.rbegin() + 1, expected.rend());
    EXPECT_EQ(back.join(QLatin1Char(' ')).toStdString(), reversed.join(QLatin1Char(' ')).toStdString());
}

TEST_F(MainWindowView_, TheTwoRadioGroupsSwitchIndependently)
{
    QWidget *client = window->centralWidget();
    auto radio = [client](const char *name) { return client->findChild<QRadioButton *>(QString::fromLatin1(name)); };
    radio("RadioButton1")->click();
    radio("RadioButton3")->click();
    EXPECT_TRUE(radio("RadioButton1")->isChecked());
    EXPECT_FALSE(radio("RadioButton2")->isChecked());
    EXPECT_TRUE(radio("RadioButton3")->isChecked());
    EXPECT_FALSE(radio("RadioButton4")->isChecked());
    radio("RadioButton2")->click();
    EXPECT_TRUE(radio("RadioButton3")->isChecked());
}

} // namespace
