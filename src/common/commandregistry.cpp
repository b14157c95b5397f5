#include "common/commandregistry.h"

void CommandRegistry::add(const QString &handlerName, Handler handler)
{
    m_handlers.insert(handlerName, std::move(handler));
}

bool CommandRegistry::has(const QString &handlerName) const
{
    return m_handlers.contains(handlerName);
}

bool CommandRegistry::invoke(const QString &handlerName, int tag) const
{
    const auto it = m_handlers.constFind(handlerName);
    if (it == m_handlers.cend())
        return false;
    (*it)(tag);
    return true;
}
