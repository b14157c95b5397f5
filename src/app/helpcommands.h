#pragma once

#include <QObject>
#include <QPointer>

class AboutBox;
class CommandDispatcher;
class HelpWindow;
class QWidget;

// The ヘルプ menu: the help window over the program's manual, created when first asked for and
// kept, and the version box. Owns the help window through the main window's object tree; the
// main window owns the version box.
class HelpCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpCommands)

public:
    static inline const QString kCollectionName = QStringLiteral("qzweb.qhc");

    // window: the parent of the help window; becomes the parent.
    HelpCommands(CommandDispatcher &commands, AboutBox &about, QWidget &window);

    // The manual beside the executable (a build or a portable copy), else where it is installed
    // (../share/qzweb beside the bin folder).
    static QString defaultCollectionPath();
    void setCollectionPath(const QString &path) { m_collectionPath = path; }

    void showHelp();  // Help1Click
    void showAbout(); // About1Click

    HelpWindow *helpWindow() const;

private:
    AboutBox &m_about;
    QWidget &m_window;
    QString m_collectionPath;
    QPointer<HelpWindow> m_helpWindow;
};
