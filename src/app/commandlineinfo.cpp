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
        return QStringLiteral("使い方: qzweb [オプション] [ファイル]\n"
                              "QZWeb は、ホームページを手で書き、プレビューで確かめ、FTP で公開する HTML "
                              "エディタです。\n"
                              "ファイルを指定すると、起動時にそのファイルを開きます。\n"
                              "\n"
                              "オプション:\n"
                              "  -h, --help     この説明を表示して終了します\n"
                              "  -v, --version  バージョンを表示して終了します\n");
    return QStringLiteral("Usage: qzweb [OPTION] [FILE]\n"
                          "QZWeb is an HTML editor to write home pages by hand, check them in a preview\n"
                          "and publish them by FTP.\n"
                          "With FILE, the program opens that file at start.\n"
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

std::optional<QString> answerFor(const QStringList &arguments, Language language, const QString &version)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help") || argument == QLatin1String("-?")
            || argument == QLatin1String("--help-all"))
            return helpText(language);
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
            return versionText(language, version);
    }
    return std::nullopt;
}

} // namespace CommandLineInfo
