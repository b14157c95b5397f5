#include "transfer/ftperrortext.h"

#include "common/usererror.h"
#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/ftp/socketerror.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

struct TextCase
{
    const char *name;
    std::string bytes; // a reply line as the server sent it
    QString shown;
};

class ServerReplyText : public testing::TestWithParam<TextCase>
{};

TEST_P(ServerReplyText, IsDecodedAndCleaned)
{
    EXPECT_EQ(ftpErrorText(FtpReplyError(550, GetParam().bytes)), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Lines,
    ServerReplyText,
    testing::Values(
        TextCase{"Ascii", "550 No such file.", QStringLiteral("550 No such file.")},
        TextCase{"Utf8",
                 "550 \xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB: denied",
                 QStringLiteral("550 ファイル: denied")},
        TextCase{"Cp932", "550 \x83\x74\x83\x40\x83\x43\x83\x8B: denied", QStringLiteral("550 ファイル: denied")},
        TextCase{"Cp932HalfWidthKana", "550 \xCC\xA7\xB2\xD9", QStringLiteral("550 ﾌｧｲﾙ")},
        TextCase{"TerminalEscapes", "550 \x1B[2J\x1B[31mred\x07", QStringLiteral("550 [2J[31mred")},
        TextCase{"LoneCarriageReturn", "550 a\rb", QStringLiteral("550 ab")},
        TextCase{"C1Controls",
                 "550 a\xC2\x85"
                 "b",
                 QStringLiteral("550 ab")},
        TextCase{"BidiOverride", "550 \xE2\x80\xAEtxt.exe", QStringLiteral("550 txt.exe")},
        TextCase{"UndecodableBytes", "550 \xFF\xFE", QStringLiteral("550 \uFFFD\uFFFD")}),
    [](const testing::TestParamInfo<TextCase> &info) { return std::string(info.param.name); });

TEST(FtpErrorText, KeepsTheLineBreakOfSocketErrors)
{
    EXPECT_EQ(ftpErrorText(SocketError(10061)), QStringLiteral("Socket Error # 10061\r\nConnection refused."));
}

TEST(FtpErrorText, TakesAnyException)
{
    EXPECT_EQ(ftpErrorText(std::runtime_error("Cannot open \"/tmp/\xE7\x8C\xAB\": Permission denied")),
              QStringLiteral("Cannot open \"/tmp/猫\": Permission denied"));
    EXPECT_EQ(ftpErrorText(UserError(QStringLiteral("フォルダ名がありません\x1B"))),
              QStringLiteral("フォルダ名がありません"));
}

} // namespace
