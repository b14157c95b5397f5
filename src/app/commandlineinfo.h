#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What `qzweb --help` and `qzweb --version` print. These are answered on the terminal before any
// QApplication exists, so that they work without a display; the language follows the locale the
// way a POSIX program's messages do.
namespace CommandLineInfo {

enum class Language {
    English,
    Japanese
};

// LC_ALL wins when set, then LC_MESSAGES, then LANG; only a Japanese locale ("ja", "ja_JP.UTF-8",
// …) gets Japanese.
Language languageFor(const QString &lcAll, const QString &lcMessages, const QString &lang);
// The same, read from this process's environment.
Language languageOfEnvironment();

// The program's arguments as Qt strings, without needing a QCoreApplication.
QStringList arguments(int argc, const char *const argv[]);

QString helpText(Language language);
QString versionText(Language language, const QString &version);

// What the terminal gets instead of a window.
struct Answer
{
    QString text;
    bool toStandardError = false;
    int exitStatus = 0;

    bool operator==(const Answer &) const = default;
};

// The exit status of a command line the program does not understand, as other programs use it.
constexpr int kUsageExitStatus = 2;

// The answer when the arguments (the program's name first) ask for help or the version, the
// first such option deciding, or name an option the program does not know (the help on the error
// output, with the usage status); nothing when the program is to start as usual. Qt's own
// options (-platform, -style, …) pass; arguments after "--", and a lone "-", are file names.
std::optional<Answer> answerFor(const QStringList &arguments, Language language, const QString &version);

} // namespace CommandLineInfo
