#pragma once

#include "preview/autorefreshsetting.h"

#include <QList>
#include <QObject>
#include <QString>

class AutoRefresh;
class CommandDispatcher;
class QAction;
class QActionGroup;

// 環境設定 > 自動反映: three exclusive choices (手動, 入力が止まったら, 保存したら) whose tag says
// the mode. The choice is applied to the automatic refresh, shown checked, and remembered in the
// data folder for the next start. Refers to the refresh and the menu's actions; owns their group.
class AutoRefreshSwitch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AutoRefreshSwitch)

public:
    struct Choice
    {
        int tag;
        AutoRefreshMode mode;
        const char *actionName;
    };
    static const QList<Choice> &choices();

    // findAction: the menu's action of an object name. Applies the remembered choice.
    AutoRefreshSwitch(CommandDispatcher &commands,
                      AutoRefresh &refresh,
                      const std::function<QAction *(const QString &)> &findAction,
                      QObject *parent = nullptr);

    void choose(int tag); // mnuAutoRefreshClick

private:
    void show(AutoRefreshMode mode);

    AutoRefresh &m_refresh;
    QActionGroup *m_group;
    QList<std::pair<AutoRefreshMode, QAction *>> m_actions;
};
