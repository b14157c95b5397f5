#pragma once

#include "app/mainwindow.h"
#include "support/memorycredentialstore.h"
#include "support/scripteduserdialogs.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class BrowserEngine;
class QAction;

// A real main window with all its windows, offscreen, answering every question from the
// scripted dialogs; a menu item or button without a handler fails the test. The program's data
// folder and the working folder are scratch folders of the test, and the working folder is
// restored afterwards, since documents change it.
class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the program's windows afresh; a dispatch to a handler name nobody registered
    // fails the test.
    void createWindows();
    // Triggers a menu action by object name, as a click on it would.
    void trigger(const QString &actionName);
    QAction *action(const QString &actionName) const;
    template<typename T>
    T *control(const QString &objectName) const
    {
        return window->findChild<T *>(objectName);
    }
    // The preview's browser engine for each new main window, taken over by it; null: Qt WebEngine.
    virtual BrowserEngine *makePreviewEngine() { return nullptr; }
    // A file inside the scratch work folder.
    QString workPath(const QString &name) const { return QDir(work.path()).filePath(name); }

    ScriptedUserDialogs dialogs;
    // No keyring: the tests of the main window never reach the desktop's.
    MemoryCredentialStore passwords{CredentialStore::Availability::Unavailable};
    QTemporaryDir dataHome;
    QTemporaryDir work;
    std::unique_ptr<MainWindow> window;

private:
    QString m_savedCurrentPath;
};
