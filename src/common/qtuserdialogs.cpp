#include "common/qtuserdialogs.h"

#include "common/fontcolordialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon toQtIcon(DialogIcon icon)
{
    switch (icon) {
    case DialogIcon::Information:
        return QMessageBox::Information;
    case DialogIcon::Warning:
        return QMessageBox::Warning;
    case DialogIcon::Error:
        return QMessageBox::Critical;
    case DialogIcon::Question:
        return QMessageBox::Question;
    case DialogIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleOf(DialogButton button)
{
    switch (button) {
    case DialogButton::Ok:
        return QMessageBox::AcceptRole;
    case DialogButton::Yes:
        return QMessageBox::YesRole;
    case DialogButton::No:
        return QMessageBox::NoRole;
    case DialogButton::Cancel:
        return QMessageBox::RejectRole;
    case DialogButton::Restore:
        return QMessageBox::AcceptRole;
    case DialogButton::Discard:
        return QMessageBox::DestructiveRole;
    case DialogButton::ShowPageCheck:
        return QMessageBox::ActionRole;
    }
    return QMessageBox::AcceptRole;
}

} // namespace

DialogButton QtUserDialogs::message(QWidget *parent, const MessageBoxRequest &request)
{
    QMessageBox box(toQtIcon(request.icon), request.title, request.text, QMessageBox::NoButton, parent);
    QList<std::pair<QAbstractButton *, DialogButton>> buttons;
    const DialogButton enter = request.defaultButton.value_or(request.buttons.value(0, DialogButton::Ok));
    for (DialogButton b : request.buttons) {
        QPushButton *button = box.addButton(buttonCaption(b), roleOf(b));
        buttons.append({button, b});
        if (b == DialogButton::Cancel || request.buttons.size() == 1)
            box.setEscapeButton(button);
        if (b == enter)
            box.setDefaultButton(button);
    }
    box.exec();
    for (const auto &[button, answer] : buttons) {
        if (box.clickedButton() == button)
            return answer;
    }
    // Closed by the window manager: the safest answer the box offered.
    return request.buttons.contains(DialogButton::Cancel) ? DialogButton::Cancel
        : request.buttons.contains(DialogButton::No)      ? DialogButton::No
                                                          : DialogButton::Ok;
}

ChoiceAnswer QtUserDialogs::choose(QWidget *parent, const ChoiceRequest &request)
{
    QMessageBox box(toQtIcon(request.icon), request.title, request.text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> buttons;
    for (int i = 0; i < request.choices.size(); ++i) {
        const auto role = i == request.escapeChoice ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        QPushButton *button = box.addButton(request.choices.at(i), role);
        buttons.append(button);
        if (i == request.escapeChoice)
            box.setEscapeButton(button);
        if (i == request.defaultChoice)
            box.setDefaultButton(button);
    }
    QCheckBox *check = nullptr;
    if (!request.checkBox.isEmpty()) {
        check = new QCheckBox(request.checkBox, &box);
        box.setCheckBox(check);
    }
    box.exec();
    const qsizetype clicked = buttons.indexOf(box.clickedButton());
    // Closed by the window manager: the answer Esc gives.
    return {clicked >= 0 ? static_cast<int>(clicked) : request.escapeChoice, check && check->isChecked()};
}

std::optional<QString>
QtUserDialogs::inputText(QWidget *parent, const QString &title, const QString &prompt, const QString &initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtUserDialogs::chooseFile(QWidget *parent, const FileDialogRequest &request)
{
    QFileDialog dialog(parent, request.title, request.directory);
    if (request.mode == FileDialogRequest::Mode::Folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
    const bool save = request.mode == FileDialogRequest::Mode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
        dialog.selectNameFilter(request.filters.at(request.filterIndex));
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setOption(QFileDialog::HideNameFilterDetails, request.hideFilterPatterns);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<FontChoice> QtUserDialogs::chooseFont(QWidget *parent, const FontChoice &initial)
{
    FontColorDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

int QtUserDialogs::exec(QDialog *dialog)
{
    return dialog->exec();
}
