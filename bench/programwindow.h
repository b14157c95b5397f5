#pragma once

// The program's main window in a child of the bench, made and shown as main() makes and shows it.

#include "benchwindow.h"
#include "common/userdialogs.h"
#include "transfer/credentialstore.h"

#include <QApplication>
#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class MainWindow;
class QWebEngineView;
class SourceView;

namespace bench {

// A child's application object. Ours is made as main() makes it, with what main() does around it
// before its first window; the floor's keeps the toolkit's defaults but for the GL contexts its
// browser view shares with the widgets, which the toolkit asks for.
struct ChildApplication
{
    ChildApplication(int &argc, char **argv, bool ours);

    std::unique_ptr<QApplication> app;
    // Whether ours composes the preview with the software scene graph (SceneGraphChoice).
    bool software = false;
};

// The program's questions in the bench: a file or folder dialog is answered with the path given
// last, and nothing else should be asked; whatever is goes to the error output and gets the
// cautious answer, so a run never waits.
class BenchDialogs final : public UserDialogs
{
public:
    void answerFilesWith(const QString &path) { m_file = path; }
    // A modal window the program opens is handed to this, which answers it as a user would.
    void answerDialogsWith(std::function<int(QDialog *)> answer) { m_dialog = std::move(answer); }

    DialogButton message(QWidget *, const MessageBoxRequest &request) override;
    ChoiceAnswer choose(QWidget *, const ChoiceRequest &request) override;
    std::optional<QString> inputText(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> chooseFile(QWidget *, const FileDialogRequest &) override { return m_file; }
    std::optional<FontChoice> chooseFont(QWidget *, const FontChoice &) override { return std::nullopt; }
    int exec(QDialog *dialog) override { return m_dialog ? m_dialog(dialog) : 0; }

private:
    QString m_file;
    std::function<int(QDialog *)> m_dialog;
};

// The passwords in memory, in place of the desktop keyring; answered later, as the keyring does.
class MemoryKeyring final : public CredentialStore
{
public:
    Availability availability() const override { return Availability::Available; }
    void read(const QString &key, QObject *context, Callback callback) override;
    void write(const QString &key, const QString &password, QObject *context, Callback callback) override;
    void remove(const QString &key, QObject *context, Callback callback) override;

private:
    QHash<QString, QString> m_passwords;
};

// The main window made as main() makes it (AppWindows::create, dialogs that never block,
// passwords in memory), in a data folder of its own where 自動反映 is 手動, so that the preview
// does not load the page again in the middle of a line's steps.
class ProgramWindow
{
public:
    // home: the data folder, kept from run to run; a fresh one when empty.
    explicit ProgramWindow(const QString &home = {});
    ~ProgramWindow();
    ProgramWindow(const ProgramWindow &) = delete;
    ProgramWindow &operator=(const ProgramWindow &) = delete;

    MainWindow &window() const { return *m_window; }
    // The source view of the page in front.
    SourceView &editor() const;
    QWebEngineView &preview() const;
    int pageCount() const;
    Layout layout() const;

    // What a user's first look at the window gives: shown, then what main() does once it shows
    // (nothing is kept from an earlier run, and the browser engine starts on a blank page).
    void showAndWarmUp(ScreenWindow &screen);
    // ファイルを開く with the file chosen in its dialog.
    void open(const QString &path);
    BenchDialogs &dialogs() { return m_dialogs; }
    // ファイル → サイトのフォルダを開く with the folder chosen in its dialog.
    void openSiteFolder(const QString &folder);

private:
    QTemporaryDir m_ownHome;
    BenchDialogs m_dialogs;
    MemoryKeyring m_keyring;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace bench
