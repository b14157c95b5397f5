#pragma once

#include "app/replacerules.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The replace dialog (ReplaceDialog): the text to look for, its replacement, the match-case,
// whole-word and regular-expression choices, and a line under them telling the outcome of the
// last button or, while the regular expression typed is wrong, where. Non-modal and kept for the
// whole run; its buttons are signalled to the window's replace commands (Enter is 次を検索).
// Owns its controls.
class ReplaceDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplaceDialog)

public:
    explicit ReplaceDialog(QWidget *parent = nullptr);

    QString searchText() const;
    void setSearchText(const QString &text);
    QString replacementText() const;
    ReplaceRules::Options options() const;

    // Shows the dialog in front with the text to look for selected, ready to be typed over.
    void activate();

    void showMessage(const QString &text);

signals:
    void findNextRequested();
    void replaceRequested();
    void replaceAllRequested();

private:
    void searchChanged();

    QLineEdit *m_search = nullptr;
    QLineEdit *m_replacement = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QCheckBox *m_wholeWord = nullptr;
    QCheckBox *m_regex = nullptr;
    QLabel *m_message = nullptr;
    QList<QPushButton *> m_searchButtons;
};
