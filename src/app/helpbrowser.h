#pragma once

#include <QTextBrowser>

class QHelpEngineCore;

// The page view of the help window: reads the manual's pages and pictures out of the help
// collection (qthelp: addresses); links between pages stay inside it. Refers to the engine.
class HelpBrowser final : public QTextBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpBrowser)

public:
    HelpBrowser(QHelpEngineCore &engine, QWidget *parent = nullptr);

    QVariant loadResource(int type, const QUrl &name) override;

private:
    QHelpEngineCore &m_engine;
};
