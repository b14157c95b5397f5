// The table settings dialog and the five table commands driven as a user would: the dialog
// opened through 表の設定 and worked through its controls, the tables built from whatever its
// fields were left holding, and the refusals of 設定 and of 表(標準).
#include "authoring/tabledialog.h"

#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "support/mainwindowfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
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

QString head(const char *width, const char *height)
{
    return q("<table border=\"1\" width=\"") + q(width) + q("\" height=\"") + q(height)
        + q("\" bordercolor=\"#000080\" cellspacing=\"1\">\r\n<caption>表のタイトル</caption>\r\n");
}

const QString kTwoByTwo = head("120", "50") + q("<TR><TD>data</TD><TD>data</TD></TR>\r\n")
    + q("<TR><TD>data</TD><TD>data</TD></TR>\r\n") + q("</table>");

template<typename T>
T *child(QDialog *dialog, const char *name)
{
    T *widget = dialog->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// What a test types into the dialog; a field left out is not touched.
struct Typing
{
    std::optional<QString> rows;
    std::optional<QString> columns;
    std::optional<QString> width;
    std::optional<QString> height;
};

void type(QDialog *dialog, const Typing &t)
{
    if (t.rows)
        child<QComboBox>(dialog, "ComboBox1")->setCurrentText(*t.rows);
    if (t.columns)
        child<QComboBox>(dialog, "ComboBox2")->setCurrentText(*t.columns);
    if (t.width)
        child<QLineEdit>(dialog, "Edit1")->setText(*t.width);
    if (t.height)
        child<QLineEdit>(dialog, "Edit2")->setText(*t.height);
}

void press(QDialog *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

class TableDialogTest : public MainWindowFixture
{
protected:
    EditorAdapter adapter() const { return EditorAdapter(*window->view().editor); }
    TableDialog *dialog() const { return control<TableDialog>(QStringLiteral("Form3")); }

    void prepare(const QString &text, int start, int length = 0)
    {
        EditorAdapter editor = adapter();
        editor.setText(text);
        editor.setSelection(start, length);
    }

    // Opens 表の設定, types, presses 設定 and, when that leaves the dialog open, 戻る. Returns
    // how many times the dialog closed on 設定 (0 or 1).
    int settle(const Typing &t)
    {
        int acceptedCount = 0;
        dialogs.dialogScripts.enqueue([&](QDialog *d) {
            QSignalSpy accepted(d, &QDialog::accepted);
            QSignalSpy finished(d, &QDialog::finished);
            type(d, t);
            press(d, "Button1");
            acceptedCount = int(accepted.count());
            if (finished.isEmpty())
                press(d, "Button2");
        });
        trigger(q("mnuTableSet"));
        return acceptedCount;
    }
};

TEST_F(TableDialogTest, IsCreatedOnceWithItsControlsAndFirstValues)
{
    ASSERT_EQ(window->findChildren<TableDialog *>().size(), 1);
    TableDialog *d = dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), q("表の設定"));
    for (const char *name : {"ComboBox1", "ComboBox2"}) {
        auto *box = child<QComboBox>(d, name);
        EXPECT_TRUE(box->isEditable());
        ASSERT_EQ(box->count(), 10);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(box->itemText(i), QString::number(i + 1));
        EXPECT_EQ(box->currentText(), q("2"));
    }
    EXPECT_EQ(child<QLineEdit>(d, "Edit1")->text(), q("120"));
    EXPECT_EQ(child<QLineEdit>(d, "Edit2")->text(), q("50"));
    EXPECT_EQ(child<QPushButton>(d, "Button1")->text(), q("設定"));
    EXPECT_EQ(child<QPushButton>(d, "Button2")->text(), q("戻る"));
    const std::pair<const char *, const char *> names[] = {
        {"ComboBox1", "行数"}, {"ComboBox2", "列数"}, {"Edit1", "表の横幅"}, {"Edit2", "表の高さ"}};
    for (const auto &[name, accessible] : names)
        EXPECT_EQ(child<QWidget>(d, name)->accessibleName(), q(accessible));
}

TEST_F(TableDialogTest, StandsInTheMiddleOfTheMainWindow)
{
    window->move(40, 30);
    TableDialog *d = dialog();
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
    const QPoint offset = d->frameGeometry().center() - window->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    d->hide();
}

TEST_F(TableDialogTest, PlainGridWithTheFirstSettingsReplacesTheSelectionWithoutShowingTheDialog)
{
    prepare(q("前選択後"), 1, 2);
    trigger(q("mnuTable"));
    EXPECT_EQ(adapter().text(), q("前") + kTwoByTwo + q("後"));
    EXPECT_EQ(adapter().caretPosition(), 1 + kTwoByTwo.size());
    EXPECT_FALSE(adapter().hasSelection());
    EXPECT_TRUE(dialogs.shownDialogs.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TableDialogTest, EverySampleReplacesTheSelection)
{
    const std::pair<const char *, const char *> samples[] = {
        {"N19", "  <tr bgcolor=\"#ff00cc\"><th>data1</th><th>data2</th></tr>\r\n"},
        {"N20", "  <tr><th bgcolor=\"#ff00cc\">data1</th><td>data2</td></tr>\r\n"},
        {"N21", "  <tr>\r\n    <th rowspan=\"3\" bgcolor=\"#ff00cc\">行結合</th>\r\n"},
        {"N22", "  <tr><th colspan=\"3\" bgcolor=\"#ff00cc\">列結合</th>\r\n"},
    };
    for (const auto &[item, firstRow] : samples) {
        prepare(q("x\r\nselected\r\ny"), 3, 8);
        trigger(q(item));
        const QString text = adapter().text();
        EXPECT_TRUE(text.startsWith(q("x\r\n") + head("120", "50") + q(firstRow))) << item;
        EXPECT_TRUE(text.endsWith(q("</table>\r\ny"))) << item;
        EXPECT_FALSE(text.contains(q("selected"))) << item;
    }
}

TEST_F(TableDialogTest, WhatSettingAcceptsIsWhatTheNextTableUses)
{
    ASSERT_EQ(settle({q("3"), q("1"), q("80%"), std::nullopt}), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    prepare(QString(), 0);
    trigger(q("mnuTable"));
    EXPECT_EQ(adapter().text(), head("80%", "50") + q("<TR><TD>data</TD></TR>\r\n").repeated(3) + q("</table>"));
    // The next showing starts from what was left.
    dialogs.dialogScripts.enqueue([](QDialog *d) {
        EXPECT_EQ(child<QComboBox>(d, "ComboBox1")->currentText(), q("3"));
        EXPECT_EQ(child<QComboBox>(d, "ComboBox2")->currentText(), q("1"));
        EXPECT_EQ(child<QLineEdit>(d, "Edit1")->text(), q("80%"));
        press(d, "Button2");
    });
    trigger(q("mnuTableSet"));
    EXPECT_EQ(dialogs.unexpected, 0);
}

// 設定 refuses a field that sorts below "1" and stays open; 戻る closes and keeps the typing.
TEST_F(TableDialogTest, SettingRefusesAnUnfilledFieldAndBackKeepsIt)
{
    struct Case
    {
        Typing typing;
        bool accepted;
    };
    const Case cases[] = {
        {{q(""), {}, {}, {}}, false},
        {{q("0"), {}, {}, {}}, false},
        {{q("2"), q("-1"), {}, {}}, false},
        {{q("2"), q("2"), q(" 100"), {}}, false},
        {{q("2"), q("2"), q("100"), q(".5")}, false},
        {{q("abc"), q("2"), q("100"), q("auto")}, true}, // letters pass
        {{q("2"), q("2"), q("120"), q("")}, false},
    };
    for (const Case &c : cases) {
        dialogs.messages.clear();
        if (!c.accepted)
            dialogs.messageAnswers.enqueue(DialogButton::Ok);
        EXPECT_EQ(settle(c.typing), c.accepted ? 1 : 0);
        if (c.accepted) {
            EXPECT_TRUE(dialogs.messages.isEmpty());
            continue;
        }
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages.first().text, q("未記入の項目があります"));
        EXPECT_EQ(dialogs.messages.first().buttons, QList<DialogButton>{DialogButton::Ok});
    }
    // The last case emptied the height and left by 戻る: the next table writes it empty.
    prepare(QString(), 0);
    trigger(q("mnuTable"));
    EXPECT_EQ(adapter().text(),
              head("120", "") + q("<TR><TD>data</TD><TD>data</TD></TR>\r\n").repeated(2) + q("</table>"));
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(TableDialogTest, PlainGridRefusesCountsThatAreNoIntegersOrTooLarge)
{
    struct Case
    {
        const char *rows;
        const char *columns;
        const char *failure;
    };
    const Case cases[] = {
        {"abc", "2", "'abc' は整数ではありません."},
        {"2", "x1", "'x1' は整数ではありません."},
        {"100000000", "2", nullptr}, // too large: its own message
        {"3", "5000", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rows);
        dialog()->setSettings({q(c.rows), q(c.columns), q("120"), q("50")});
        prepare(q("keep me"), 0, 4);
        dialogs.messages.clear();
        dialogs.messageAnswers.enqueue(DialogButton::Ok);
        trigger(q("mnuTable"));
        EXPECT_EQ(adapter().text(), q("keep me"));
        EXPECT_TRUE(adapter().hasSelection());
        ASSERT_EQ(dialogs.messages.size(), 1);
        const MessageBoxRequest &box = dialogs.messages.first();
        EXPECT_EQ(box.icon, DialogIcon::Error);
        EXPECT_EQ(box.title, UserDialogs::programTitle());
        if (c.failure)
            EXPECT_EQ(box.text, q(c.failure));
        else
            EXPECT_TRUE(box.text.startsWith(q("表が大きすぎます"))) << box.text.toStdString();
        // The samples do not read the counts.
        trigger(q("N20"));
        EXPECT_TRUE(adapter().text().startsWith(head("120", "50"))) << c.rows;
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

} // namespace
