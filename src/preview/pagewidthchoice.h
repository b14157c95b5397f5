#pragma once

#include <QObject>
#include <QString>

#include <functional>

class BrowserEngine;
class QComboBox;

// The choice beside 反映 of the width the preview shows pages at (パソコン, or a phone's), filled
// from PreviewWidth's choices, given to the engine and remembered for the next start.
class PageWidthChoice final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageWidthChoice)

public:
    // settingsPath: the file the choice is kept in; say: where a choice that could not be kept
    // is told of (it holds for this run all the same).
    PageWidthChoice(QComboBox &box,
                    BrowserEngine &engine,
                    QString settingsPath,
                    std::function<void(const QString &)> say,
                    QObject *parent = nullptr);

private:
    void choose(int index);

    QComboBox &m_box;
    BrowserEngine &m_engine;
    QString m_settingsPath;
    std::function<void(const QString &)> m_say;
};
