// The colour and size dialog driven as a user would, through the commands that open it: its
// notations, the presets of each command, what it keeps between showings, its refusal without a
// ticked box, and every way of leaving it without a result.
#include "authoring/colorsizedialog.h"

#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "support/mainwindowfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// What a test does with the dialog once a command has opened it.
struct Setting
{
    std::optional<bool> useColor;
    std::optional<bool> useSize;
    std::optional<QString> size;
    std::optional<RgbColor> color;
    const char *radio = nullptr; // "RadioButton1" .. "RadioButton3"
};

template<typename T>
T *child(QDialog *dialog, const char *name)
{
    T *widget = dialog->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

void apply(QDialog *dialog, const Setting &s)
{
    if (s.useColor)
        child<QCheckBox>(dialog, "CheckColor")->setChecked(*s.useColor);
    if (s.useSize)
        child<QCheckBox>(dialog, "CheckSize")->setChecked(*s.useSize);
    if (s.size)
        child<QComboBox>(dialog, "ComboBox1")->setCurrentText(*s.size);
    if (s.color) {
        child<QScrollBar>(dialog, "ScrollBar1")->setValue(s.color->red);
        child<QScrollBar>(dialog, "ScrollBar2")->setValue(s.color->green);
        child<QScrollBar>(dialog, "ScrollBar3")->setValue(s.color->blue);
    }
    if (s.radio)
        child<QRadioButton>(dialog, s.radio)->click();
}

void press(QDialog *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

class ColorSizeDialogTest : public MainWindowFixture
{
protected:
    EditorAdapter adapter() const { return EditorAdapter(*window->view().editor); }
    ColorSizeDialog *dialog() const { return control<ColorSizeDialog>(QStringLiteral("Form2")); }

    void selectAll(const QString &text)
    {
        EditorAdapter editor = adapter();
        editor.setText(text);
        editor.setSelection(0, int(text.size()));
    }

    // Runs a command whose dialog is set as given and closed with the given button.
    void runWithDialog(const char *action, const Setting &setting, const char *button = "Button1")
    {
        dialogs.dialogScripts.enqueue([setting, button](QDialog *d) {
            apply(d, setting);
            press(d, button);
        });
        trigger(q(action));
        EXPECT_TRUE(dialogs.dialogScripts.isEmpty());
    }
};

struct FontCase
{
    const char *name;
    const char *action;
    Setting setting;
    const char *expected;
};

class FontDialogTest : public ColorSizeDialogTest, public ::testing::WithParamInterface<FontCase>
{};

TEST_P(FontDialogTest, WritesWhatTheDialogSays)
{
    const FontCase &c = GetParam();
    selectAll(q("文字"));
    runWithDialog(c.action, c.setting);
    EXPECT_EQ(adapter().text(), q(c.expected));
    EXPECT_FALSE(adapter().hasSelection());
    EXPECT_EQ(dialogs.unexpected, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Commands,
    FontDialogTest,
    ::testing::Values(FontCase{"SizeBeforeColor",
                               "Font1",
                               {true, true, q("4"), RgbColor{255, 0, 0}, "RadioButton3"},
                               "<font size=\"4\" color=\"#FF0000\">文字</font>"},
                      FontCase{"ColorAloneInRgb",
                               "Font1",
                               {true, false, std::nullopt, RgbColor{255, 0, 0}, "RadioButton1"},
                               "<font color=\"RGB(255,0,0)\">文字</font>"},
                      FontCase{"TypedSizeUnchanged",
                               "Font1",
                               {false, true, q("+1"), std::nullopt, nullptr},
                               "<font size=\"+1\">文字</font>"},
                      FontCase{"BaseFontBeforeSelection",
                               "N24",
                               {std::nullopt, std::nullopt, q("6"), std::nullopt, nullptr},
                               "<basefont size=\"6\">文字"},
                      FontCase{"ColorValueInDollars",
                               "mnuColorSet",
                               {std::nullopt, std::nullopt, std::nullopt, RgbColor{255, 128, 0}, "RadioButton2"},
                               "$0080FF"},
                      FontCase{"BackgroundAttribute",
                               "mnuBGCOLOR",
                               {std::nullopt, std::nullopt, std::nullopt, RgbColor{0, 0, 255}, nullptr},
                               " bgcolor=\"#0000FF\""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ColorSizeDialogTest, EachCommandPresetsTheBoxes)
{
    struct Case
    {
        const char *action;
        bool useColor;
        bool useSize;
    };
    const Case cases[] = {{"Font1", false, false},
                          {"N24", false, true},
                          {"mnuColorSet", true, false},
                          {"mnuBGCOLOR", true, false},
                          {"Font1", false, false}};
    for (const Case &c : cases) {
        bool seenColor = !c.useColor;
        bool seenSize = !c.useSize;
        dialogs.dialogScripts.enqueue([&](QDialog *d) {
            seenColor = child<QCheckBox>(d, "CheckColor")->isChecked();
            seenSize = child<QCheckBox>(d, "CheckSize")->isChecked();
            // Leave the opposite ticks behind, so the next preset has something to undo.
            child<QCheckBox>(d, "CheckColor")->setChecked(!seenColor);
            child<QCheckBox>(d, "CheckSize")->setChecked(!seenSize);
            press(d, "Button2");
        });
        trigger(q(c.action));
        EXPECT_EQ(seenColor, c.useColor) << c.action;
        EXPECT_EQ(seenSize, c.useSize) << c.action;
    }
}

TEST_F(ColorSizeDialogTest, KeepsColourSizeAndNotationBetweenShowings)
{
    runWithDialog("Font1", {true, true, q("6"), RgbColor{0, 0, 255}, "RadioButton1"});
    QString labels[3];
    QString size;
    bool rgbChosen = false;
    QColor swatch;
    dialogs.dialogScripts.enqueue([&](QDialog *d) {
        labels[0] = child<QLabel>(d, "LblRGB")->text();
        labels[1] = child<QLabel>(d, "LblS")->text();
        labels[2] = child<QLabel>(d, "LblH")->text();
        size = child<QComboBox>(d, "ComboBox1")->currentText();
        rgbChosen = child<QRadioButton>(d, "RadioButton1")->isChecked();
        swatch = child<QLabel>(d, "Image1")->pixmap().toImage().pixelColor(5, 5);
        press(d, "Button2");
    });
    trigger(q("mnuColorSet"));
    EXPECT_EQ(labels[0], q("RGB(0,0,255)"));
    EXPECT_EQ(labels[1], q("$FF0000"));
    EXPECT_EQ(labels[2], q("#0000FF"));
    EXPECT_EQ(size, q("6"));
    EXPECT_TRUE(rgbChosen);
    EXPECT_EQ(swatch, QColor(0, 0, 255));
}

TEST_F(ColorSizeDialogTest, StartsBlackInHashNotationWithSizeFour)
{
    ColorSizeDialog fresh(dialogs);
    EXPECT_EQ(fresh.findChild<QLabel *>(q("LblRGB"))->text(), q("RGB(0,0,0)"));
    EXPECT_EQ(fresh.findChild<QLabel *>(q("LblS"))->text(), q("$000000"));
    EXPECT_EQ(fresh.findChild<QLabel *>(q("LblH"))->text(), q("#000000"));
    EXPECT_TRUE(fresh.findChild<QRadioButton *>(q("RadioButton3"))->isChecked());
    EXPECT_EQ(fresh.findChild<QComboBox *>(q("ComboBox1"))->currentText(), q("4"));
    EXPECT_EQ(fresh.findChild<QComboBox *>(q("ComboBox1"))->count(), 7);
    const QScrollBar *red = fresh.findChild<QScrollBar *>(q("ScrollBar1"));
    EXPECT_EQ(red->maximum(), 255);
    EXPECT_EQ(red->singleStep(), 1);
    EXPECT_EQ(red->pageStep(), 20);
    EXPECT_TRUE(fresh.colorText().isEmpty());
}

TEST_F(ColorSizeDialogTest, RefusesWithoutATickedBoxAndStaysOpen)
{
    selectAll(q("abc"));
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    bool closedBySettle = true;
    dialogs.dialogScripts.enqueue([&](QDialog *d) {
        apply(d, {false, false, std::nullopt, RgbColor{1, 2, 3}, nullptr});
        d->setResult(-1);
        press(d, "Button1");
        closedBySettle = d->result() != -1;
        press(d, "Button2");
    });
    trigger(q("Font1"));
    EXPECT_FALSE(closedBySettle);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, q("色か文字サイズのどちらかを指定してください。"));
    EXPECT_EQ(dialogs.messages.first().buttons, QList<DialogButton>{DialogButton::Ok});
    EXPECT_EQ(adapter().text(), q("abc"));
    EXPECT_EQ(adapter().selectedText(), q("abc"));
}

TEST_F(ColorSizeDialogTest, LeavingWithoutSettleInsertsNothingAndKeepsTheSelection)
{
    using Leave = std::function<void(QDialog *)>;
    const std::pair<const char *, Leave> ways[] = {
        {"Button2", [](QDialog *d) { press(d, "Button2"); }},
        {"Escape", [](QDialog *d) { QTest::keyClick(d, Qt::Key_Escape); }},
        {"CloseBox",
         [](QDialog *d) {
             d->show();
             d->close();
         }},
    };
    for (const char *action : {"Font1", "N24", "mnuColorSet", "mnuBGCOLOR"}) {
        for (const auto &[way, leave] : ways) {
            // A first showing accepted leaves a result behind that the cancelled one must not reuse.
            runWithDialog(action, {true, true, q("3"), RgbColor{9, 9, 9}, nullptr});
            selectAll(q("keep"));
            adapter().setModified(false);
            dialogs.dialogScripts.enqueue([leave](QDialog *d) {
                apply(d, {true, true, std::nullopt, std::nullopt, nullptr});
                leave(d);
            });
            trigger(q(action));
            EXPECT_EQ(adapter().text(), q("keep")) << action << " " << way;
            EXPECT_EQ(adapter().selectedText(), q("keep")) << action << " " << way;
            EXPECT_FALSE(adapter().isModified()) << action << " " << way;
            EXPECT_TRUE(dialog()->colorText().isEmpty()) << action << " " << way;
        }
    }
}

TEST_F(ColorSizeDialogTest, EditorBackgroundReadsTheDollarNotationAndColoursEveryTab)
{
    EditorStack *pane = window->view().editor;
    trigger(q("mnuNewTab"));
    ASSERT_NE(window->view().editor, pane);
    EditorStack *second = window->view().editor;
    runWithDialog("N10", {true, std::nullopt, std::nullopt, RgbColor{255, 0, 0}, nullptr});
    EXPECT_EQ(pane->backgroundColor(), QColor(255, 0, 0));
    EXPECT_EQ(second->backgroundColor(), QColor(255, 0, 0));
    trigger(q("mnuNewTab"));
    EXPECT_EQ(window->view().editor->backgroundColor(), QColor(255, 0, 0)) << "a tab opened later too";
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // The dollar notation is the editor's own; the next command writing HTML goes back to "#".
    runWithDialog("mnuColorSet", {});
    EXPECT_EQ(adapter().text(), q("#FF0000"));
}

TEST_F(ColorSizeDialogTest, ANotationChosenForHtmlOutlastsTheEditorBackground)
{
    const struct
    {
        const char *radio;
        const char *inserted;
    } cases[] = {
        {"RadioButton1", "RGB(0,128,255)"},
        {"RadioButton2", "$FF8000"},
        {"RadioButton3", "#0080FF"},
    };
    for (const auto &c : cases) {
        runWithDialog("mnuColorSet", {std::nullopt, std::nullopt, std::nullopt, RgbColor{0, 128, 255}, c.radio});
        runWithDialog("N10", {});
        EXPECT_TRUE(dialog()->findChild<QRadioButton *>(q("RadioButton2"))->isChecked()) << c.radio;
        adapter().setText(QString());
        runWithDialog("mnuBGCOLOR", {});
        EXPECT_EQ(adapter().text(), q(" bgcolor=\"%1\"").arg(q(c.inserted))) << c.radio;
        adapter().setText(QString());
        runWithDialog("Font1", {true, false, std::nullopt, std::nullopt, nullptr});
        EXPECT_EQ(adapter().text(), q("<font color=\"%1\"></font>").arg(q(c.inserted))) << c.radio;
        adapter().setText(QString());
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ColorSizeDialogTest, EditorBackgroundInAnotherNotationIsAConversionError)
{
    EditorStack *pane = window->view().editor;
    const QColor before = pane->backgroundColor();
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    runWithDialog("N10", {true, std::nullopt, std::nullopt, RgbColor{1, 2, 3}, "RadioButton1"});
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error);
    EXPECT_EQ(dialogs.messages.first().text, q("'RGB(1,2,3)' は整数値ではありません."));
    EXPECT_EQ(pane->backgroundColor(), before);
    EXPECT_TRUE(adapter().text().isEmpty());
}

TEST_F(ColorSizeDialogTest, EditorBackgroundClosedChangesNothing)
{
    EditorStack *pane = window->view().editor;
    const QColor before = pane->backgroundColor();
    runWithDialog("N10", {true, std::nullopt, std::nullopt, RgbColor{1, 2, 3}, nullptr}, "Button2");
    EXPECT_EQ(pane->backgroundColor(), before);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

} // namespace
