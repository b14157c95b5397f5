#pragma once

#include "common/userdialogs.h"

// The real dialogs: Qt message boxes with the program's Japanese buttons, Qt's file dialog, the
// program's font dialog with its colour, and exec() for the program's own modal windows.
class QtUserDialogs final : public UserDialogs
{
public:
    DialogButton message(QWidget *parent, const MessageBoxRequest &request) override;
    ChoiceAnswer choose(QWidget *parent, const ChoiceRequest &request) override;
    std::optional<QString>
    inputText(QWidget *parent, const QString &title, const QString &prompt, const QString &initial) override;
    std::optional<QString> chooseFile(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<FontChoice> chooseFont(QWidget *parent, const FontChoice &initial) override;
    int exec(QDialog *dialog) override;
};
