#pragma once

// The program's main window as the site bench's children use it: shown on X, the bench's site
// chosen with サイトのフォルダを開く, and a panel of the line's own (サイト内検索's) open
// under the editor.

#include "benchbasics.h"
#include "benchwindow.h"
#include "programwindow.h"

#include <QString>
#include <QWidget>

namespace bench {

class SiteWindow
{
public:
    // Shows the window, opens the site and the panel (the action of that name; none when null),
    // and waits until the window is idle: every start-up is over before a line's clock starts.
    explicit SiteWindow(const QString &root, const char *panelAction = "mnuSiteSearch");

    ProgramWindow &program() { return m_program; }
    QWidget &widget() const;

    // The window's object of that type and object name (any name when none is given); the run
    // ends without it.
    template<typename Control>
    Control &control(const char *name = nullptr) const
    {
        auto *found = widget().findChild<Control *>(name ? QString::fromLatin1(name) : QString());
        if (!found)
            fail(name ? name : "the window lacks a part the bench drives");
        return *found;
    }

    // The event loop runs for a while: what the last step left to timers and workers is done.
    static void settle();

private:
    ProgramWindow m_program;
    ScreenWindow m_screen;
};

} // namespace bench
