#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

// Maps a handler name ("Font1Click", "mnuKaigyoClick") to the code that runs it. Menu items and
// buttons carry only a handler name and a tag; the controller that owns a family registers it,
// so one table drives every menu and a family of items shares one handler that reads the tag.
// Names are unique within one registry: a second registration under a taken name is a
// programming error and throws.
class CommandRegistry
{
public:
    using Handler = std::function<void(int tag)>;

    // Throws std::logic_error when the name already has a handler or the handler is empty.
    void add(const QString &handlerName, Handler handler);
    bool has(const QString &handlerName) const;
    QStringList names() const;

    // Runs the handler; false when none is registered under that name.
    bool invoke(const QString &handlerName, int tag) const;

private:
    QHash<QString, Handler> m_handlers;
};
