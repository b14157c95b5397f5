#include "app/helpbrowser.h"

#include <QHelpEngineCore>

HelpBrowser::HelpBrowser(QHelpEngineCore &engine, QWidget *parent) : QTextBrowser(parent), m_engine(engine)
{
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    if (name.scheme() == QLatin1String("qthelp"))
        return m_engine.fileData(name);
    return QTextBrowser::loadResource(type, name);
}
