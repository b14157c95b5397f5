#pragma once

#include <QHash>
#include <QString>

#include <functional>

// Maps a handler name ("Font1Click", "mnuKaigyoClick") to the code that runs it. Menu items and
// buttons carry only a handler name and a tag; the window that owns a family registers it, so
// one table drives every menu and a family of items shares one handler that reads the tag.
class CommandRegistry
{
public:
    using Handler = std::function<void(int tag)>;

    void add(const QString &handlerName, Handler handler);
    bool has(const QString &handlerName) const;

    // Runs the handler; false when none is registered under that name.
    bool invoke(const QString &handlerName, int tag) const;

private:
    QHash<QString, Handler> m_handlers;
};
