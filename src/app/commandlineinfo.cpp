#include "app/commandlineinfo.h"

#include <QtGlobal>

namespace CommandLineInfo {

Language languageFor(const QString &lcAll, const QString &lcMessages, const QString &lang)
{
    const QString &locale = !lcAll.isEmpty() ? lcAll : !lcMessages.isEmpty() ? lcMessages : lang;
    const bool japanese = locale == QLatin1String("ja") || locale.startsWith(QLatin1String("ja_"))
        || locale.startsWith(QLatin1String("ja."));
    return japanese ? Language::Japanese : Language::English;
}

Language languageOfEnvironment()
{
    return languageFor(
        qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG"));
}

QStringList arguments(int argc, const char *const argv[])
{
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out.append(QString::fromLocal8Bit(argv[i]));
    return out;
}

QString helpText(Language language)
{
    if (language == Language::Japanese)
        return QStringLiteral("使い方: qzweb [オプション] [ファイル...]\n"
                              "QZWeb は、ホームページを手で書き、プレビューで確かめ、FTP で公開する HTML "
                              "エディタです。\n"
                              "ファイルを指定すると、起動時にそれぞれをタブで開きます。動いている QZWeb "
                              "があれば、そのウィンドウで開きます。\n"
                              "\n"
                              "オプション:\n"
                              "  -h, --help     この説明を表示して終了します\n"
                              "  -v, --version  バージョンを表示して終了します\n");
    return QStringLiteral("Usage: qzweb [OPTION] [FILE...]\n"
                          "QZWeb is an HTML editor to write home pages by hand, check them in a preview\n"
                          "and publish them by FTP.\n"
                          "With FILEs, the program opens each in a tab at start; a QZWeb already running opens them.\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help     show this help and exit\n"
                          "  -v, --version  show the version and exit\n");
}

QString versionText(Language language, const QString &version)
{
    const QString line = QStringLiteral("QZWeb %1\n").arg(version);
    if (language == Language::Japanese)
        return line + QStringLiteral("ホームページを手で書く人のための HTML エディタ\n");
    return line + QStringLiteral("An HTML editor for writing home pages by hand\n");
}

namespace {

// The options QGuiApplication and QApplication take themselves, by their name without dashes
// (Qt accepts them with one dash or two), and whether the next argument is their value.
struct QtOption
{
    const char *name;
    bool takesValue;
};

constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"style", true},
    {"stylesheet", true},
    {"reverse", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"widgetcount", false},
};

// The Qt option an argument is ("-style=fusion" carries its value), or nothing.
const QtOption *qtOptionOf(const QString &argument, bool &valueIncluded)
{
    QStringView name = QStringView(argument).mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(u'=');
    valueIncluded = equals >= 0;
    if (valueIncluded)
        name = name.left(equals);
    for (const QtOption &option : kQtOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

Answer unknownOption(const QString &argument, Language language)
{
    const QString line = language == Language::Japanese
        ? QStringLiteral("qzweb: 不明なオプションです: %1\n").arg(argument)
        : QStringLiteral("qzweb: unknown option: %1\n").arg(argument);
    return {line + helpText(language), true, kUsageExitStatus};
}

} // namespace

std::optional<Answer> answerFor(const QStringList &arguments, Language language, const QString &version)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help") || argument == QLatin1String("-?")
            || argument == QLatin1String("--help-all"))
            return Answer{helpText(language)};
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
            return Answer{versionText(language, version)};
        if (!argument.startsWith(u'-') || argument == QLatin1String("-"))
            continue;
        bool valueIncluded = false;
        const QtOption *qtOption = qtOptionOf(argument, valueIncluded);
        if (!qtOption)
            return unknownOption(argument, language);
        if (qtOption->takesValue && !valueIncluded)
            ++i;
    }
    return std::nullopt;
}

} // namespace CommandLineInfo
