#include "inputmethodwatch.h"

#include <QInputMethodEvent>

InputMethodWatch::InputMethodWatch(QObject &watched) : QObject(&watched)
{
    watched.installEventFilter(this);
}

bool InputMethodWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::InputMethod) {
        const auto *input = static_cast<QInputMethodEvent *>(event);
        m_preedit = input->preeditString();
        if (!input->commitString().isEmpty()) {
            m_committed += input->commitString();
            ++m_commits;
        }
    }
    return QObject::eventFilter(watched, event);
}
