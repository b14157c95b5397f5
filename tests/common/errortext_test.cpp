#include "common/errortext.h"

#include <gtest/gtest.h>

namespace {

struct ErrorTextCase
{
    const char *name;
    friend void PrintTo(const ErrorTextCase &c, std::ostream *os) { *os << c.name; }
    QString failure;
    QString shown;
};

class ErrorBoxText : public ::testing::TestWithParam<ErrorTextCase>
{};

TEST_P(ErrorBoxText, AddsAFullStopOnlyWhereTheTextHasNoStopOfItsOwn)
{
    EXPECT_EQ(errorBoxText(GetParam().failure), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    ErrorBoxText,
    ::testing::Values(
        ErrorTextCase{
            "Japanese", QStringLiteral("ファイル a.htm は開けません"), QStringLiteral("ファイル a.htm は開けません.")},
        ErrorTextCase{"AlreadyFullStop", QStringLiteral("Done."), QStringLiteral("Done.")},
        ErrorTextCase{
            "EndsInSpace", QStringLiteral("Operation would block. "), QStringLiteral("Operation would block. ")},
        ErrorTextCase{"EndsInComma", QStringLiteral("a,"), QStringLiteral("a,")},
        ErrorTextCase{"EndsInNewline", QStringLiteral("a\r\n"), QStringLiteral("a\r\n")},
        ErrorTextCase{"EndsInSlash", QStringLiteral("a/"), QStringLiteral("a/.")},
        ErrorTextCase{"EndsInDigit", QStringLiteral("Socket Error # 10061"), QStringLiteral("Socket Error # 10061.")},
        ErrorTextCase{"Empty", QString(), QString()},
        ErrorTextCase{"JapaneseFullStop",
                      QStringLiteral("ディスク上のファイルは変更されていません。"),
                      QStringLiteral("ディスク上のファイルは変更されていません。")},
        ErrorTextCase{"HalfWidthJapaneseStop", QStringLiteral("ﾃｽﾄ｡"), QStringLiteral("ﾃｽﾄ｡")},
        ErrorTextCase{"FullWidthFullStop", QStringLiteral("完了．"), QStringLiteral("完了．")},
        ErrorTextCase{"FullWidthExclamation", QStringLiteral("接続できません！"), QStringLiteral("接続できません！")},
        ErrorTextCase{"FullWidthQuestion", QStringLiteral("よろしいですか？"), QStringLiteral("よろしいですか？")},
        ErrorTextCase{"Question", QStringLiteral("Retry?"), QStringLiteral("Retry?")},
        ErrorTextCase{"ClosingBracket", QStringLiteral("「a」"), QStringLiteral("「a」.")}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
