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

TEST_P(ErrorBoxText, AddsAFullStopOnlyAfterCharactersThatSortAfterIt)
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
        ErrorTextCase{"Empty", QString(), QString()}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
