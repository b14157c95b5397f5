#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The search dialog (FindDialog1): only the text to look for and its buttons, no match-case,
// whole-word or direction choices. Non-modal, and kept for the whole run, so the text typed last
// is still there when it opens again. Find next (its button, Enter or F3) is signalled to the
// window's find command. Owns its controls.
class FindDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FindDialog)

public:
    explicit FindDialog(QWidget *parent = nullptr);

    QString searchText() const;
    void setSearchText(const QString &text);

signals:
    void findNextRequested();

private:
    QLineEdit *m_text = nullptr;
    QPushButton *m_findNext = nullptr;
};
