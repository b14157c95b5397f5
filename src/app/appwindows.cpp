#include "app/appwindows.h"

#include "app/aboutbox.h"
#include "app/historyeditor.h"
#include "app/mainwindow.h"
#include "authoring/colorsizedialog.h"
#include "authoring/tabledialog.h"
#include "transfer/permissiondialog.h"
#include "transfer/transferwindow.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace AppWindows {

MainWindow *create(UserDialogs &dialogs, CredentialStore &passwords, BrowserEngine *previewEngine)
{
    auto *main = new MainWindow(dialogs);
    SecondaryWindows windows;
    windows.colorSize = new ColorSizeDialog(dialogs, main);
    windows.table = new TableDialog(dialogs, main);
    windows.history = new HistoryEditor(dialogs, main);
    windows.about = new AboutBox(dialogs, main);
    windows.permission = new PermissionDialog(dialogs, main);
    windows.transfer = new TransferWindow(dialogs, main);
    windows.transfer->setPermissionDialog(*windows.permission);
    windows.transfer->setCredentialStore(passwords);
    main->attachWindows(windows, previewEngine);
    return main;
}

bool installQtTranslations(QCoreApplication &app)
{
    // The catalogues of the Qt modules whose windows the user meets: qtbase holds the dialogs and
    // context menus, qt_help the help viewer's own texts.
    const QString base = QStringLiteral("qtbase_ja");
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString &name : {base, QStringLiteral("qt_help_ja")}) {
        if (app.findChild<QTranslator *>(name, Qt::FindDirectChildrenOnly))
            continue;
        auto *translator = new QTranslator(&app);
        translator->setObjectName(name);
        if (!translator->load(name, folder) || !QCoreApplication::installTranslator(translator))
            delete translator;
    }
    return app.findChild<QTranslator *>(base, Qt::FindDirectChildrenOnly) != nullptr;
}

} // namespace AppWindows
