#include "support/scripteduserdialogs.h"

#include <QDialog>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The error box is the one piece of dialog behaviour every command relies on.
TEST(UserDialogs, ErrorBoxHasTheProgramTitleErrorIconOkAndTheFullStopRule)
{
    ScriptedUserDialogs dialogs;
    dialogs.showError(nullptr, QStringLiteral("ファイル x は開けません"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    const MessageBoxRequest &box = dialogs.messages.first();
    EXPECT_EQ(box.title, UserDialogs::programTitle());
    EXPECT_FALSE(box.title.isEmpty());
    EXPECT_FALSE(box.title.contains(QLatin1Char('.')));
    EXPECT_EQ(box.text, QStringLiteral("ファイル x は開けません."));
    EXPECT_EQ(box.icon, DialogIcon::Error);
    EXPECT_EQ(box.buttons, QList<DialogButton>{DialogButton::Ok});
}

TEST(UserDialogs, UnforeseenQuestionsGetTheCautiousAnswerAndAreCounted)
{
    ScriptedUserDialogs dialogs;
    EXPECT_EQ(
        dialogs.confirm(nullptr, QStringLiteral("?"), {DialogButton::Yes, DialogButton::No, DialogButton::Cancel}),
        DialogButton::Cancel);
    EXPECT_EQ(dialogs.confirm(nullptr, QStringLiteral("?"), {DialogButton::Yes, DialogButton::No}), DialogButton::No);
    EXPECT_EQ(dialogs.unexpected, 2);
    dialogs.messageAnswers.enqueue(DialogButton::Yes);
    EXPECT_EQ(dialogs.confirm(nullptr, QStringLiteral("?"), {DialogButton::Yes, DialogButton::No}), DialogButton::Yes);
    EXPECT_EQ(dialogs.messages.last().title, QStringLiteral("確認"));
    EXPECT_EQ(dialogs.messages.last().icon, DialogIcon::Question);
}

TEST(UserDialogs, ModalWindowsAreHandedToTheScriptWithoutAnEventLoop)
{
    ScriptedUserDialogs dialogs;
    QDialog dialog;
    auto *ok = new QPushButton(QStringLiteral("設定"), &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialogs.dialogScripts.enqueue([ok](QDialog *) { ok->click(); });
    EXPECT_EQ(dialogs.exec(&dialog), QDialog::Accepted);
    EXPECT_EQ(dialogs.exec(&dialog), QDialog::Rejected);
    EXPECT_EQ(dialogs.unexpected, 1);
}

TEST(UserDialogs, ButtonCaptionsAreTheJapaneseOnes)
{
    EXPECT_EQ(UserDialogs::buttonCaption(DialogButton::Yes), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(UserDialogs::buttonCaption(DialogButton::No), QStringLiteral("いいえ(&N)"));
    EXPECT_EQ(UserDialogs::buttonCaption(DialogButton::Cancel), QStringLiteral("キャンセル"));
    EXPECT_EQ(UserDialogs::buttonCaption(DialogButton::Ok), QStringLiteral("OK"));
}

} // namespace
