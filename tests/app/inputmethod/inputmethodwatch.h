#pragma once

#include <QObject>
#include <QString>

// Notes what the input method tells one widget: the composition it shows (the preedit) and the
// texts it commits, as the widget receives them.
class InputMethodWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InputMethodWatch)

public:
    explicit InputMethodWatch(QObject &watched);

    QString preedit() const { return m_preedit; }
    QString committed() const { return m_committed; }
    // Events that carried a commit, each an edit of the widget's text.
    int commits() const { return m_commits; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_preedit;
    QString m_committed;
    int m_commits = 0;
};
