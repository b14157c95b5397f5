#include "common/userdialogs.h"

#include "common/errortext.h"

#include <QCoreApplication>
#include <QFileInfo>

void UserDialogs::showError(QWidget *parent, const QString &failure)
{
    message(parent, {programTitle(), errorBoxText(failure), DialogIcon::Error, {DialogButton::Ok}});
}

DialogButton UserDialogs::confirm(QWidget *parent, const QString &text, const QList<DialogButton> &buttons)
{
    return message(parent, {QStringLiteral("確認"), text, DialogIcon::Question, buttons});
}

DialogButton UserDialogs::confirmDiscard(QWidget *parent, const QString &text, const QList<DialogButton> &buttons)
{
    return message(parent, {QStringLiteral("確認"), text, DialogIcon::Question, buttons, DialogButton::Cancel});
}

void UserDialogs::warn(QWidget *parent, const QString &text)
{
    message(parent, {QStringLiteral("警告"), text, DialogIcon::Warning, {DialogButton::Ok}});
}

void UserDialogs::notify(QWidget *parent, const QString &text)
{
    message(parent, {programTitle(), text, DialogIcon::None, {DialogButton::Ok}});
}

QString UserDialogs::programTitle()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString UserDialogs::buttonCaption(DialogButton button)
{
    switch (button) {
    case DialogButton::Ok:
        return QStringLiteral("OK");
    case DialogButton::Yes:
        return QStringLiteral("はい(&Y)");
    case DialogButton::No:
        return QStringLiteral("いいえ(&N)");
    case DialogButton::Cancel:
        return QStringLiteral("キャンセル");
    case DialogButton::Restore:
        return QStringLiteral("復元");
    case DialogButton::Discard:
        return QStringLiteral("破棄");
    case DialogButton::ShowPageCheck:
        return QStringLiteral("ページチェックを見る");
    }
    return {};
}
