#pragma once

#include "common/userdialogs.h"

#include <QDialog>
#include <QQueue>

#include <functional>

// The test double of UserDialogs: answers from queues the test fills and records every request.
// A request with no queued answer gets the most cautious answer and is counted as unexpected,
// so a test can fail on a question it did not foresee. Modal windows are handed to a queued
// function that sets their controls and presses their buttons; no nested event loop runs.
class ScriptedUserDialogs final : public UserDialogs
{
public:
    using DialogScript = std::function<void(QDialog *)>;

    QQueue<DialogButton> messageAnswers;
    QQueue<ChoiceAnswer> choiceAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    QQueue<std::optional<QString>> fileAnswers;
    QQueue<std::optional<FontChoice>> fontAnswers;
    QQueue<DialogScript> dialogScripts;
    // Runs once, inside the next message box, before it answers: the user taking their time.
    // A test shows a modal window there and lets the event loop run, as a real box does.
    std::function<void(const MessageBoxRequest &)> whileNextMessageOpen;

    QList<MessageBoxRequest> messages;
    QList<ChoiceRequest> choiceRequests;
    QList<FileDialogRequest> fileRequests;
    QStringList inputPrompts;
    QList<FontChoice> fontRequests;
    QList<QDialog *> shownDialogs;
    int unexpected = 0;
    // Called as each message or choice comes, before it is answered: for a look at the window
    // while the question is open.
    std::function<void()> whenAsked;

    DialogButton message(QWidget *parent, const MessageBoxRequest &request) override;
    ChoiceAnswer choose(QWidget *parent, const ChoiceRequest &request) override;
    std::optional<QString>
    inputText(QWidget *parent, const QString &title, const QString &prompt, const QString &initial) override;
    std::optional<QString> chooseFile(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<FontChoice> chooseFont(QWidget *parent, const FontChoice &initial) override;
    int exec(QDialog *dialog) override;
};
