#include "common/commanddispatcher.h"

#include "common/userdialogs.h"
#include "common/usererror.h"

void CommandDispatcher::add(const QString &handlerName, Handler handler)
{
    m_registry.add(handlerName, std::move(handler));
}

void CommandDispatcher::run(const QString &handlerName, int tag)
{
    if (m_probe) {
        m_probe(handlerName, tag);
        return;
    }
    guard([&] {
        if (!m_registry.invoke(handlerName, tag) && m_onUnknown)
            m_onUnknown(handlerName);
    });
}

bool CommandDispatcher::guard(const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const std::exception &e) {
        m_dialogs.showError(&m_window, userTextOf(e));
        return false;
    }
}
