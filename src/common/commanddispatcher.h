#pragma once

#include "common/commandregistry.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;
class UserDialogs;

// One window's command dispatch: the registry of its handler names and the one wrapper that
// runs a handler, or a step of an event handler, and shows its failure in the generic error
// box over the window. Every window owns one; handler names are unique within it. A name with
// no handler does nothing (a control whose command is not there yet), unless a test asked to
// hear of it. Refers to the window and the dialogs; owns its registry.
class CommandDispatcher
{
public:
    using Handler = CommandRegistry::Handler;
    // Told the handler name and tag of a dispatch instead of running it.
    using Probe = std::function<void(const QString &handlerName, int tag)>;
    // Told of a dispatch to a name that has no handler.
    using UnknownHandler = std::function<void(const QString &handlerName)>;

    CommandDispatcher(UserDialogs &dialogs, QWidget &window) : m_dialogs(dialogs), m_window(window) {}
    CommandDispatcher(const CommandDispatcher &) = delete;
    CommandDispatcher &operator=(const CommandDispatcher &) = delete;

    // Throws std::logic_error when the name is already taken in this window.
    void add(const QString &handlerName, Handler handler);
    bool has(const QString &handlerName) const { return m_registry.has(handlerName); }
    QStringList handlerNames() const { return m_registry.names(); }

    // What a menu item or button does when used: runs its handler; a failure is shown.
    void run(const QString &handlerName, int tag = 0);
    // Runs one step of an event handler (a drop, the start-up file, loading a list) the same
    // way; false when it failed and its failure was shown.
    bool guard(const std::function<void()> &step);

    // Tests: hear of every dispatch to a name without a handler, so it cannot pass unnoticed.
    void setUnknownHandler(UnknownHandler onUnknown) { m_onUnknown = std::move(onUnknown); }
    // Tests: divert every dispatch to the probe, to see what each control carries.
    void setProbe(Probe probe) { m_probe = std::move(probe); }

private:
    UserDialogs &m_dialogs;
    QWidget &m_window;
    CommandRegistry m_registry;
    UnknownHandler m_onUnknown;
    Probe m_probe;
};
