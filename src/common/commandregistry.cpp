#include "common/commandregistry.h"

#include <stdexcept>

void CommandRegistry::add(const QString &handlerName, Handler handler)
{
    // Two controllers claiming one name would leave one of them silently dead.
    if (m_handlers.contains(handlerName))
        throw std::logic_error("handler registered twice: " + handlerName.toStdString());
    if (!handler)
        throw std::logic_error("empty handler for " + handlerName.toStdString());
    m_handlers.insert(handlerName, std::move(handler));
}

bool CommandRegistry::has(const QString &handlerName) const
{
    return m_handlers.contains(handlerName);
}

QStringList CommandRegistry::names() const
{
    QStringList names = m_handlers.keys();
    names.sort();
    return names;
}

bool CommandRegistry::invoke(const QString &handlerName, int tag) const
{
    const auto it = m_handlers.constFind(handlerName);
    if (it == m_handlers.cend())
        return false;
    (*it)(tag);
    return true;
}
