#include "app/commandlineinfo.h"

#include <gtest/gtest.h>

using CommandLineInfo::Language;

namespace {

TEST(CommandLineInfo, TheLocaleVariablesDecideTheLanguageInPosixOrder)
{
    struct Case
    {
        const char *lcAll, *lcMessages, *lang;
        Language expected;
    };
    const Case cases[] = {
        {"", "", "ja_JP.UTF-8", Language::Japanese},
        {"", "", "ja_JP.eucJP", Language::Japanese},
        {"", "", "ja", Language::Japanese},
        {"", "", "en_US.UTF-8", Language::English},
        {"", "", "", Language::English},
        {"", "", "C.UTF-8", Language::English},
        {"", "", "jam_JM", Language::English},
        {"", "ja_JP.UTF-8", "en_US.UTF-8", Language::Japanese},
        {"C", "ja_JP.UTF-8", "ja_JP.UTF-8", Language::English},
        {"ja_JP.UTF-8", "C", "en_US.UTF-8", Language::Japanese},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CommandLineInfo::languageFor(
                      QString::fromUtf8(c.lcAll), QString::fromUtf8(c.lcMessages), QString::fromUtf8(c.lang)),
                  c.expected)
            << c.lcAll << " / " << c.lcMessages << " / " << c.lang;
}

TEST(CommandLineInfo, HelpVersionAndUnknownOptionsAnswerAndEverythingElseStartsTheProgram)
{
    using CommandLineInfo::Answer;
    const QString version = QStringLiteral("9.8.7");
    const Answer help{CommandLineInfo::helpText(Language::English)};
    const Answer versionText{CommandLineInfo::versionText(Language::English, version)};
    const auto unknown = [&help](const char *option) {
        return Answer{QStringLiteral("qzweb: unknown option: %1\n").arg(QString::fromUtf8(option)) + help.text,
                      true,
                      CommandLineInfo::kUsageExitStatus};
    };
    struct Case
    {
        QStringList arguments;
        std::optional<Answer> expected;
    };
    const auto args = [](std::initializer_list<const char *> list) {
        QStringList out{QStringLiteral("qzweb")};
        for (const char *a : list)
            out.append(QString::fromUtf8(a));
        return out;
    };
    const Case cases[] = {
        {args({"--help"}), help},
        {args({"-h"}), help},
        {args({"-?"}), help},
        {args({"page.html", "--version"}), versionText},
        {args({"-v"}), versionText},
        {args({"--version", "--help"}), versionText},
        {args({}), std::nullopt},
        {args({"page.html"}), std::nullopt},
        {args({"--", "--help"}), std::nullopt},
        {args({"--", "--bogus"}), std::nullopt},
        {args({"-"}), std::nullopt},
        {args({"--bogus"}), unknown("--bogus")},
        {args({"page.html", "-x"}), unknown("-x")},
        {args({"--helpful.html"}), unknown("--helpful.html")},
        {args({"--bogus", "--help"}), unknown("--bogus")},
        // Qt's own options pass, their values with them, whether or not a value looks like an option.
        {args({"-platform", "offscreen", "page.html"}), std::nullopt},
        {args({"--style", "-fusion"}), std::nullopt},
        {args({"-style=fusion", "-reverse"}), std::nullopt},
        {args({"-platform", "offscreen", "--bogus"}), unknown("--bogus")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CommandLineInfo::answerFor(c.arguments, Language::English, version), c.expected)
            << c.arguments.join(u' ').toStdString();
}

TEST(CommandLineInfo, TextsNameTheOptionsInTheChosenLanguage)
{
    const QString english = CommandLineInfo::helpText(Language::English);
    const QString japanese = CommandLineInfo::helpText(Language::Japanese);
    for (const QString &text : {english, japanese}) {
        EXPECT_TRUE(text.contains(QStringLiteral("--help")));
        EXPECT_TRUE(text.contains(QStringLiteral("--version")));
    }
    EXPECT_TRUE(english.startsWith(QStringLiteral("Usage: qzweb [OPTION] [FILE...]\n")));
    EXPECT_TRUE(japanese.startsWith(QStringLiteral("使い方: qzweb [オプション] [ファイル...]\n")));
    EXPECT_EQ(CommandLineInfo::versionText(Language::Japanese, QStringLiteral("1.2.3")).section(u'\n', 0, 0),
              QStringLiteral("QZWeb 1.2.3"));
}

} // namespace
