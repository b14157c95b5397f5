#include "app/autorefreshswitch.h"

#include "common/commanddispatcher.h"
#include "common/datafolder.h"
#include "preview/autorefresh.h"

#include <QAction>
#include <QActionGroup>

const QList<AutoRefreshSwitch::Choice> &AutoRefreshSwitch::choices()
{
    static const QList<Choice> rows = {
        {0, AutoRefreshMode::Manual, "mnuAutoRefreshManual"},
        {1, AutoRefreshMode::WhenIdle, "mnuAutoRefreshIdle"},
        {2, AutoRefreshMode::WhenSaved, "mnuAutoRefreshSaved"},
    };
    return rows;
}

AutoRefreshSwitch::AutoRefreshSwitch(CommandDispatcher &commands,
                                     AutoRefresh &refresh,
                                     const std::function<QAction *(const QString &)> &findAction,
                                     QObject *parent)
    : QObject(parent), m_refresh(refresh), m_group(new QActionGroup(this))
{
    m_group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const Choice &choice : choices()) {
        if (QAction *action = findAction(QString::fromLatin1(choice.actionName))) {
            action->setCheckable(true);
            m_group->addAction(action);
            m_actions.append({choice.mode, action});
        }
    }
    const AutoRefreshMode mode = AutoRefreshSetting::read(DataFolder::filePath(AutoRefreshSetting::kFileName));
    m_refresh.setMode(mode);
    show(mode);
    commands.add(QStringLiteral("mnuAutoRefreshClick"), [this](int tag) { choose(tag); });
}

void AutoRefreshSwitch::choose(int tag)
{
    const auto row =
        std::find_if(choices().begin(), choices().end(), [tag](const Choice &choice) { return choice.tag == tag; });
    if (row == choices().end())
        return;
    m_refresh.setMode(row->mode);
    show(row->mode);
    // The choice holds for this run even when the data folder cannot keep it.
    AutoRefreshSetting::write(DataFolder::filePath(AutoRefreshSetting::kFileName), row->mode);
}

void AutoRefreshSwitch::show(AutoRefreshMode mode)
{
    for (const auto &[actionMode, action] : m_actions)
        action->setChecked(actionMode == mode);
}
