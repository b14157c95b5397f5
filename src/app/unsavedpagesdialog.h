#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

class QListWidget;

// The question before closing a window with several modified pages, as every tabbed editor
// asks it: the pages in a list, each with a check box (all ticked), and 保存 (save the ticked
// ones), 保存しない (close without saving any) or キャンセル (the default: nothing closes).
class UnsavedPagesDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UnsavedPagesDialog)

public:
    enum class Answer {
        Save,
        DontSave,
        Cancel,
    };

    // names: what each page is called (its path, or 無題).
    explicit UnsavedPagesDialog(const QStringList &names, QWidget *parent = nullptr);

    Answer answer() const { return m_answer; }
    // Indexes into names of the ticked pages.
    QList<int> checked() const;

private:
    void answerWith(Answer answer);

    QListWidget *m_list;
    Answer m_answer = Answer::Cancel;
};
