#include "support/scripteduserdialogs.h"

#include <utility>

DialogButton ScriptedUserDialogs::message(QWidget *, const MessageBoxRequest &request)
{
    messages.append(request);
    if (auto whileOpen = std::exchange(whileNextMessageOpen, nullptr))
        whileOpen(request);
    if (whenAsked)
        whenAsked();
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    ++unexpected;
    if (request.buttons.contains(DialogButton::Cancel))
        return DialogButton::Cancel;
    if (request.buttons.contains(DialogButton::No))
        return DialogButton::No;
    return DialogButton::Ok;
}

ChoiceAnswer ScriptedUserDialogs::choose(QWidget *, const ChoiceRequest &request)
{
    choiceRequests.append(request);
    if (whenAsked)
        whenAsked();
    if (!choiceAnswers.isEmpty())
        return choiceAnswers.dequeue();
    ++unexpected;
    return {request.escapeChoice, false};
}

std::optional<QString>
ScriptedUserDialogs::inputText(QWidget *, const QString &, const QString &prompt, const QString &)
{
    inputPrompts.append(prompt);
    if (!inputAnswers.isEmpty())
        return inputAnswers.dequeue();
    ++unexpected;
    return std::nullopt;
}

std::optional<QString> ScriptedUserDialogs::chooseFile(QWidget *, const FileDialogRequest &request)
{
    fileRequests.append(request);
    if (!fileAnswers.isEmpty())
        return fileAnswers.dequeue();
    ++unexpected;
    return std::nullopt;
}

std::optional<FontChoice> ScriptedUserDialogs::chooseFont(QWidget *, const FontChoice &initial)
{
    fontRequests.append(initial);
    if (!fontAnswers.isEmpty())
        return fontAnswers.dequeue();
    ++unexpected;
    return std::nullopt;
}

int ScriptedUserDialogs::exec(QDialog *dialog)
{
    shownDialogs.append(dialog);
    dialog->setResult(QDialog::Rejected);
    if (dialogScripts.isEmpty()) {
        ++unexpected;
        return QDialog::Rejected;
    }
    dialogScripts.dequeue()(dialog);
    return dialog->result();
}
