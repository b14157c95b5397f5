#include "transfer/permissiondialog.h"

#include "support/scripteduserdialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The dialog asks its owner to send; the owner here records the command and answers at once.
class PermissionDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&dialog, &PermissionDialog::changeRequested, &dialog, [this](const QString &command) {
            sent.append(command);
            if (refusals > 0) {
                --refusals;
                dialog.changeFailed(QStringLiteral("500 chmod refused"));
            } else {
                dialog.changeSucceeded();
            }
        });
    }

    template<typename T>
    T *control(const char *name)
    {
        return dialog.findChild<T *>(QString::fromLatin1(name));
    }
    QString shown()
    {
        return control<QLabel>("Label1")->text() + control<QLabel>("Label2")->text()
            + control<QLabel>("Label3")->text();
    }
    QString entry() { return control<QLineEdit>("Edit1")->text(); }
    void press(const char *name) { QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton); }

    ScriptedUserDialogs dialogs;
    PermissionDialog dialog{dialogs};
    QStringList sent;
    int refusals = 0;
};

TEST_F(PermissionDialogTest, OpeningShowsTheBoxesDigitsAndNameOfTheItem)
{
    const struct
    {
        const char *attributes;
        const char *digits;
    } cases[] = {{"-rw-r--r--", "644"}, {"drwxr-xr-x", "755"}, {"-rwsr-xr-x", "655"}, {"-rw-r--r--", "644"}};
    for (const auto &c : cases) {
        QString seenDigits, seenEntry, seenName;
        bool ownerWrite = false;
        dialogs.dialogScripts.enqueue([&](QDialog *) {
            seenDigits = shown();
            seenEntry = entry();
            seenName = control<QLabel>("Label4")->text();
            ownerWrite = control<QCheckBox>("CheckBox2")->isChecked();
            press("Button2");
        });
        EXPECT_FALSE(dialog.editPermissions(QStringLiteral("index.html"), QString::fromLatin1(c.attributes)));
        EXPECT_EQ(seenDigits, QString::fromLatin1(c.digits)) << c.attributes;
        EXPECT_EQ(seenEntry, QString::fromLatin1(c.digits)) << c.attributes;
        EXPECT_EQ(seenName, QStringLiteral("index.html"));
        EXPECT_TRUE(ownerWrite);
    }
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(PermissionDialogTest, BoxClicksUpdateTheirGroupsDigitAndTheDirectEntry)
{
    dialogs.dialogScripts.enqueue([&](QDialog *) {
        press("CheckBox3"); // owner X on
        EXPECT_EQ(shown(), QStringLiteral("744"));
        EXPECT_EQ(entry(), QStringLiteral("744"));
        press("CheckBox4"); // group R off
        press("CheckBox7"); // others R off
        EXPECT_EQ(shown(), QStringLiteral("700"));
        press("Button1");
    });
    EXPECT_TRUE(dialog.editPermissions(QStringLiteral("cgi.pl"), QStringLiteral("-rw-r--r--")));
    EXPECT_EQ(sent, QStringList{QStringLiteral("chmod 700 cgi.pl")});
}

TEST_F(PermissionDialogTest, DirectEntryRules)
{
    const struct
    {
        const char *typed;
        const char *sent; // nullptr: nothing is sent and the dialog stays open
    } cases[] = {
        {"755", "chmod 755 cgi.pl"}, {"75", "chmod 644 cgi.pl"}, {"7a5", "chmod 644 cgi.pl"}, {"0755", nullptr}};
    for (const auto &c : cases) {
        sent.clear();
        bool stillOpenAfterChange = false;
        dialogs.dialogScripts.enqueue([&](QDialog *d) {
            control<QLineEdit>("Edit1")->setText(QString::fromLatin1(c.typed));
            press("Button1");
            stillOpenAfterChange = d->result() != QDialog::Accepted;
            if (stillOpenAfterChange)
                QTest::keyClick(d, Qt::Key_Escape);
        });
        const bool changed = dialog.editPermissions(QStringLiteral("cgi.pl"), QStringLiteral("-rw-r--r--"));
        EXPECT_EQ(changed, c.sent != nullptr) << c.typed;
        EXPECT_EQ(sent, c.sent ? QStringList{QString::fromLatin1(c.sent)} : QStringList()) << c.typed;
        EXPECT_EQ(stillOpenAfterChange, c.sent == nullptr) << c.typed;
    }
}

TEST_F(PermissionDialogTest, ARefusedChangeIsShownAndTheDialogStaysOpenForAnotherTry)
{
    refusals = 1;
    bool openAfterRefusal = false;
    dialogs.messageAnswers.enqueue(DialogButton::Ok);
    dialogs.dialogScripts.enqueue([&](QDialog *d) {
        press("Button1");
        openAfterRefusal = d->result() != QDialog::Accepted && control<QPushButton>("Button1")->isEnabled();
        press("Button1");
    });
    EXPECT_TRUE(dialog.editPermissions(QStringLiteral("a.cgi"), QStringLiteral("-rwxr-xr-x")));
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(sent, (QStringList{QStringLiteral("chmod 755 a.cgi"), QStringLiteral("chmod 755 a.cgi")}));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error);
    EXPECT_TRUE(dialogs.messages.first().text.startsWith(QStringLiteral("500 chmod refused")));
}

TEST_F(PermissionDialogTest, DesignedSizeNamesAndTags)
{
    EXPECT_EQ(dialog.size(), QSize(364, 207));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("パーミション設定"));
    const int tags[] = {4, 2, 1, 4, 2, 1, 4, 2, 1};
    for (int i = 0; i < 9; ++i) {
        const QByteArray name = "CheckBox" + QByteArray::number(i + 1);
        auto *box = control<QCheckBox>(name.constData());
        ASSERT_NE(box, nullptr) << name.constData();
        EXPECT_EQ(box->property("tag").toInt(), tags[i]) << name.constData();
        EXPECT_FALSE(box->accessibleName().isEmpty());
    }
    EXPECT_EQ(control<QPushButton>("Button1")->text(), QStringLiteral("変更"));
    EXPECT_EQ(control<QPushButton>("Button2")->text(), QStringLiteral("閉じる"));
}

} // namespace
