#pragma once

#include <QString>

#include <stdexcept>

// A failure whose text is meant for the user, as the generic error box shows it. Commands
// throw it and the command dispatch shows it, so a failing step ends its command cleanly.
class UserError : public std::runtime_error
{
public:
    explicit UserError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};

// The user-facing text of any exception a command may raise.
QString userTextOf(const std::exception &e);
