#include "transfer/ftp/ftperrortext.h"

#include "common/usererror.h"
#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/ftp/ftptimeouterror.h"
#include "transfer/ftp/socketerror.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <functional>
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
    EXPECT_EQ(ftpErrorText(FtpReplyError(550, GetParam().bytes)),
              QStringLiteral("サーバーがこの操作を断りました。名前と権限を確かめてください。\r\n") + GetParam().shown);
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

template<typename Error>
Error withUpload(Error error, const std::string &name, bool removed)
{
    error.setUnfinishedUpload({name, removed});
    return error;
}

struct ShownCase
{
    const char *name;
    std::function<QString()> text; // ftpErrorText of the failure
    QString shown;
};

class ShownText : public testing::TestWithParam<ShownCase>
{};

// Every failure starts with a Japanese sentence saying what happened and what to do; the
// server's or the protocol's own text, when there is one, follows on its own line.
TEST_P(ShownText, LeadsWithJapaneseAndKeepsTheOwnText)
{
    const QString text = GetParam().text();
    EXPECT_EQ(text, GetParam().shown);
    EXPECT_GT(text.front().unicode(), 0x7F);
    EXPECT_FALSE(text.endsWith(QStringLiteral("。.")));
}

using std::chrono::milliseconds;
using std::chrono::seconds;

INSTANTIATE_TEST_SUITE_P(
    Failures,
    ShownText,
    testing::Values(
        ShownCase{"WrongPassword",
                  [] { return ftpErrorText(FtpReplyError(530, "530 Login incorrect.")); },
                  QStringLiteral("ユーザー名かパスワードが違います。ユーザーＩＤとパスワードを確かめてください。\r\n"
                                 "530 Login incorrect.")},
        ShownCase{"EncryptionRequired",
                  [] {
                      return ftpErrorText(FtpReplyError(
                          530, "530 Non-anonymous sessions must use encryption.", FtpFault::EncryptionRequired));
                  },
                  QStringLiteral("このサーバーは暗号化（FTPS）が必要です。接続方式を FTPS にしてください。\r\n"
                                 "530 Non-anonymous sessions must use encryption.")},
        ShownCase{"TransientRefusal",
                  [] { return ftpErrorText(FtpReplyError(451, "451 Local error")); },
                  QStringLiteral("サーバーが一時的に処理できませんでした。しばらくしてからもう一度試してください。\r\n"
                                 "451 Local error")},
        ShownCase{"EncryptionRefused",
                  [] { return ftpErrorText(FtpError("534 Policy", FtpFault::EncryptionRefused)); },
                  QStringLiteral("サーバーが暗号化（FTPS）を断りました。パスワードを守るため接続しませんでした。"
                                 "サーバーがFTPSに対応しているか確かめてください。\r\n534 Policy")},
        ShownCase{"TruncatedDownload",
                  [] { return ftpErrorText(FtpError("cut", FtpFault::TruncatedDownload, "a.html")); },
                  QStringLiteral("「a.html」の受信が途中で切れました。手元のファイルはそのままです。"
                                 "もう一度試してください。")},
        ShownCase{"ConnectionRefused",
                  [] { return ftpErrorText(SocketError(10061)); },
                  QStringLiteral("サーバーに接続できませんでした。ホスト名とポートを確かめてください。\r\n"
                                 "Socket Error # 10061\r\nConnection refused.")},
        ShownCase{"UnknownHost",
                  [] { return ftpErrorText(SocketError(11001)); },
                  QStringLiteral("ホスト名が見つかりませんでした。ホスト名とポートを確かめてください。\r\n"
                                 "Socket Error # 11001")},
        ShownCase{"DroppedByTheServer",
                  [] { return ftpErrorText(ConnectionClosed()); },
                  QStringLiteral("サーバーとの接続が切れました。もう一度接続してください。\r\n"
                                 "Connection Closed Gracefully.")},
        ShownCase{"EndedByTheServer",
                  [] { return ftpErrorText(ConnectionClosed("421 Timeout.")); },
                  QStringLiteral("サーバーが接続を終了しました。もう一度接続してください。\r\n421 Timeout.")},
        ShownCase{"ReplyTimeout",
                  [] { return ftpErrorText(FtpTimeoutError(FtpFault::ReplyTimeout, seconds(30))); },
                  QStringLiteral("サーバーから30秒以内に返事がありませんでした。もう一度接続してください。")},
        ShownCase{"IdleTimeout",
                  [] { return ftpErrorText(FtpTimeoutError(FtpFault::IdleTimeout, seconds(60))); },
                  QStringLiteral("データの転送が60秒止まったままだったので中止しました。もう一度試してください。")},
        ShownCase{"AcceptTimeout",
                  [] { return ftpErrorText(FtpTimeoutError(FtpFault::AcceptTimeout, milliseconds(600))); },
                  QStringLiteral(
                      "サーバーから0.6秒以内にデータ接続がありませんでした。しばらくしてからもう一度試してください。")},
        ShownCase{
            "Cancelled", [] { return ftpErrorText(FtpCancelledError()); }, QStringLiteral("操作を中止しました。")},
        ShownCase{
            "NoFileBeside",
            [] {
                return ftpErrorText(
                    FtpError("Cannot create a file beside \"/tmp/\xE7\x8C\xAB.html\": Permission denied",
                             FtpFault::LocalCreate,
                             "/tmp/\xE7\x8C\xAB.html",
                             {},
                             EACCES));
            },
            QStringLiteral("「/tmp/猫.html」の隣にファイルを作れません。フォルダに書き込めるか確かめてください。\r\n"
                           "ファイルへのアクセスが拒否されました")},
        ShownCase{"TheProtocolsOwnText",
                  [] { return ftpErrorText(FtpError("Destination file already exists.")); },
                  QStringLiteral("同じ名前のファイルがすでにあります。\r\nDestination file already exists.")},
        ShownCase{
            "UploadRefusedAndRemoved",
            [] { return ftpErrorText(withUpload(FtpReplyError(552, "552 Quota exceeded."), "index.html", true)); },
            QStringLiteral("「index.html」はアップロードできませんでした。途中までのファイルはサーバーから削除しまし"
                           "た。サーバーの容量が足りません。不要なファイルを削除してください。\r\n"
                           "552 Quota exceeded.")},
        ShownCase{
            "UploadStoppedAndLeft",
            [] { return ftpErrorText(withUpload(FtpCancelledError(), "\x83\x74\x83\x40\x83\x43\x83\x8B", false)); },
            QStringLiteral("「ファイル」のアップロードを中止しました。途中までのファイルがサーバーに残っているかもし"
                           "れません。")}),
    [](const testing::TestParamInfo<ShownCase> &info) { return std::string(info.param.name); });

TEST(FtpErrorText, TakesAnyException)
{
    EXPECT_EQ(ftpErrorText(std::runtime_error("Cannot open \"/tmp/\xE7\x8C\xAB\": Permission denied")),
              QStringLiteral("Cannot open \"/tmp/猫\": Permission denied"));
    EXPECT_EQ(ftpErrorText(UserError(QStringLiteral("フォルダ名がありません\x1B"))),
              QStringLiteral("フォルダ名がありません"));
}

} // namespace
