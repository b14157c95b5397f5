// A look at the transfer window without the main window: starts the tests' pyftpdlib server
// on loopback with a small tree, puts it in a scratch site book, shows the window and
// connects. For screenshots and trying the window by hand; not a test.
#include "common/linefile.h"
#include "common/qtuserdialogs.h"
#include "support/ftp/localfiles.h"
#include "support/ftp/pyftpdserver.h"
#include "transfer/sitebook.h"
#include "transfer/transferwindow.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("QZWEB_HOME", home.path().toLocal8Bit());
    PyFtpdServer server;
    namespace fs = std::filesystem;
    const fs::path root = server.root();
    writeFile(root / "index.html", std::string(1234, 'x'));
    writeFile(root / "my page.html", std::string(56789, 'x'));
    fs::create_directory(root / "img");
    fs::create_directory(root / fs::u8path("日本語フォルダ"));
    fs::create_symlink("index.html", root / "latest");
    LineFile::write(QDir(home.path()).filePath(SiteBook::kFileName),
                    {QStringLiteral("My Site,127.0.0.1:%1,%2,%3,")
                         .arg(server.port())
                         .arg(QString::fromStdString(server.user()), QString::fromStdString(server.password()))});
    QtUserDialogs dialogs;
    TransferWindow window(dialogs);
    window.show();
    QTimer::singleShot(
        300, &window, [&window] { window.findChild<QPushButton *>(QStringLiteral("Button1"))->click(); });
    return app.exec();
}
