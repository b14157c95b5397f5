#include "transfer/ftp/ftpcancellederror.h"
#include "transfer/ftp/ftpclient.h"
#include "transfer/ftp/ftphostport.h"
#include "transfer/ftp/ftpprotocolerror.h"
#include "transfer/ftp/ftptimeouterror.h"
#include "transfer/ftp/hostresolver.h"
#include "transfer/ftp/socketerror.h"
#include "transfer/ftp/socketinterrupter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

TEST(HostPort, FormatsAddressAndPortAsSixNumbers)
{
    EXPECT_EQ(FtpHostPort::format({0xC0A8000A, 3001}), "192,168,0,10,11,185");
    EXPECT_EQ(FtpHostPort::format({0x7F000001, 65535}), "127,0,0,1,255,255");
}

struct PassiveCase
{
    const char *line;
    std::uint32_t address;
    std::uint16_t port;
};

class PassiveReplyParsing : public testing::TestWithParam<PassiveCase>
{};

TEST_P(PassiveReplyParsing, ReadsAddressAndPort)
{
    const Ipv4Endpoint endpoint = FtpHostPort::parsePassiveReply(GetParam().line);
    EXPECT_EQ(endpoint.address, GetParam().address);
    EXPECT_EQ(endpoint.port, GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(
    Forms,
    PassiveReplyParsing,
    testing::Values(PassiveCase{"227 Entering Passive Mode (192,168,0,5,19,137).", 0xC0A80005, 5001},
                    PassiveCase{"227 Entering Passive Mode (127,0,0,1,0,1)", 0x7F000001, 1},
                    PassiveCase{"227 10,0,0,1,255,255", 0x0A000001, 65535},
                    PassiveCase{"227 Entering Passive Mode 10,1,2,3,4,5", 0x0A010203, 1029},
                    PassiveCase{"  227 ok (1, 2, 3, 4, 5, 6)  ", 0x01020304, 1286}));

class MalformedPassiveReply : public testing::TestWithParam<const char *>
{};

TEST_P(MalformedPassiveReply, IsAClearError)
{
    try {
        FtpHostPort::parsePassiveReply(GetParam());
        FAIL() << "accepted " << GetParam();
    } catch (const FtpProtocolError &error) {
        EXPECT_NE(std::string(error.what()).find("passive mode reply"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines,
                         MalformedPassiveReply,
                         testing::Values("227 Entering Passive Mode (127,0,0,1,256,1)",
                                         "227 Entering Passive Mode (127,0,0,300,4,1)",
                                         "227 Entering Passive Mode (127,0,0,1,0,0)",
                                         "227 Entering Passive Mode (127,0,0,1,4)",
                                         "227 Entering Passive Mode (127,0,0,1,4,1,9)",
                                         "227 Entering Passive Mode (127,0,0,-1,4,1)",
                                         "227 Entering Passive Mode (127,0,0,x,4,1)",
                                         "227 Entering Passive Mode (127,,0,1,4,1)",
                                         "227 Entering Passive Mode )127,0,0,1,4,1(",
                                         "227 Entering Passive Mode"));

TEST(SocketErrorText, FormatsNumberAndTextOnTwoLines)
{
    EXPECT_STREQ(SocketError(10061).what(), "Socket Error # 10061\r\nConnection refused.");
    EXPECT_STREQ(SocketError(10035).what(), "Socket Error # 10035\r\nOperation would block. ");
    EXPECT_STREQ(SocketError(10066).what(), "Socket Error # 10066\r\nDirectory not empty");
    EXPECT_STREQ(SocketError(11001).what(), "Socket Error # 11001\r\n");
    EXPECT_EQ(SocketError(10054).code(), 10054);
}

struct ErrnoCase
{
    int posixErrno;
    int windowsCode;
};

class ErrnoMapping : public testing::TestWithParam<ErrnoCase>
{};

TEST_P(ErrnoMapping, MapsOntoWindowsSocketsNumber)
{
    EXPECT_EQ(SocketError::fromErrno(GetParam().posixErrno).code(), GetParam().windowsCode);
}

INSTANTIATE_TEST_SUITE_P(Errnos,
                         ErrnoMapping,
                         testing::Values(ErrnoCase{EINTR, 10004},
                                         ErrnoCase{EAGAIN, 10035},
                                         ErrnoCase{EADDRINUSE, 10048},
                                         ErrnoCase{ECONNRESET, 10054},
                                         ErrnoCase{EPIPE, 10058},
                                         ErrnoCase{ETIMEDOUT, 10060},
                                         ErrnoCase{ECONNREFUSED, 10061},
                                         ErrnoCase{EHOSTUNREACH, 10065},
                                         ErrnoCase{ENOTEMPTY, 10066}));

struct SplitCase
{
    const char *text;
    std::vector<std::string> lines;
};

class ListingSplit : public testing::TestWithParam<SplitCase>
{};

TEST_P(ListingSplit, SplitsAtEveryLineEnd)
{
    EXPECT_EQ(FtpClient::splitLines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Texts,
                         ListingSplit,
                         testing::Values(SplitCase{"", {}},
                                         SplitCase{"a", {"a"}},
                                         SplitCase{"a\r\nb\r\n", {"a", "b"}},
                                         SplitCase{"a\rb\nc", {"a", "b", "c"}},
                                         SplitCase{"a\n\rb", {"a", "b"}},
                                         SplitCase{"a\r\n\r\nb\n", {"a", "b"}},
                                         SplitCase{"\n", {}},
                                         SplitCase{"\r\n\n\r x \n", {" x "}}));

struct DottedCase
{
    const char *text;
    bool dotted;
    std::uint32_t address;
};

class DottedHost : public testing::TestWithParam<DottedCase>
{};

TEST_P(DottedHost, IsTakenAsItIs)
{
    std::uint32_t address = 0;
    EXPECT_EQ(HostResolver::parseDotted(GetParam().text, address), GetParam().dotted);
    if (GetParam().dotted) {
        EXPECT_EQ(address, GetParam().address);
    }
}

INSTANTIATE_TEST_SUITE_P(Hosts,
                         DottedHost,
                         testing::Values(DottedCase{"127.0.0.1", true, 0x7F000001},
                                         DottedCase{"255.255.255.255", true, 0xFFFFFFFF},
                                         DottedCase{"1.2.3.256", false, 0},
                                         DottedCase{"1.2.3", false, 0},
                                         DottedCase{"1.2.3.4.5", false, 0},
                                         DottedCase{"1..3.4", false, 0},
                                         DottedCase{"example.jp", false, 0},
                                         DottedCase{"", false, 0}));

struct ResolvedCase
{
    const char *host;
    const char *address;
};

class LiteralHost : public testing::TestWithParam<ResolvedCase>
{};

TEST_P(LiteralHost, IsTakenWithoutLookup)
{
    const std::vector<NetworkEndpoint> found =
        HostResolver::resolve(GetParam().host, 2121, Deadline(std::chrono::milliseconds(0)));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].addressText(), GetParam().address);
    EXPECT_EQ(found[0].port(), 2121);
}

INSTANTIATE_TEST_SUITE_P(Hosts,
                         LiteralHost,
                         testing::Values(ResolvedCase{"LocalHost", "127.0.0.1"},
                                         ResolvedCase{"10.1.2.3", "10.1.2.3"},
                                         ResolvedCase{"::1", "::1"},
                                         ResolvedCase{"2001:db8::5", "2001:db8::5"}));

TEST(HostResolverTest, LookupGivesUpAtOnceWhenInterrupted)
{
    SocketInterrupter interrupter;
    interrupter.raise();
    EXPECT_THROW(HostResolver::resolve("name.invalid", 21, Deadline(std::chrono::seconds(30)), &interrupter),
                 FtpCancelledError);
}

struct ExtendedCase
{
    const char *line;
    int port; // 0: malformed
};

class ExtendedPassiveReply : public testing::TestWithParam<ExtendedCase>
{};

TEST_P(ExtendedPassiveReply, GivesThePortOrAClearError)
{
    if (GetParam().port == 0) {
        EXPECT_THROW(FtpHostPort::parseExtendedPassiveReply(GetParam().line), FtpProtocolError);
    } else {
        EXPECT_EQ(FtpHostPort::parseExtendedPassiveReply(GetParam().line), GetParam().port);
    }
}

INSTANTIATE_TEST_SUITE_P(Replies,
                         ExtendedPassiveReply,
                         testing::Values(ExtendedCase{"229 Entering Extended Passive Mode (|||6446|)", 6446},
                                         ExtendedCase{"229 ok (!!!65535!)", 65535},
                                         ExtendedCase{"229 Entering Extended Passive Mode (|||0|)", 0},
                                         ExtendedCase{"229 Entering Extended Passive Mode (|||65536|)", 0},
                                         ExtendedCase{"229 Entering Extended Passive Mode (||6446|)", 0},
                                         ExtendedCase{"229 Entering Extended Passive Mode (|||64x6|)", 0},
                                         ExtendedCase{"229 Entering Extended Passive Mode (|||6446)", 0},
                                         ExtendedCase{"229 Entering Extended Passive Mode", 0}));

TEST(ExtendedPort, NamesFamilyAddressAndPort)
{
    EXPECT_EQ(FtpHostPort::formatExtended(NetworkEndpoint::fromLiteral("::1", 3001)), "|2|::1|3001|");
    EXPECT_EQ(FtpHostPort::formatExtended(NetworkEndpoint::fromLiteral("127.0.0.1", 80)), "|1|127.0.0.1|80|");
}

TEST(TimeoutText, SaysSeconds)
{
    EXPECT_EQ(FtpTimeoutError::describe(std::chrono::seconds(30)), "30 seconds");
    EXPECT_EQ(FtpTimeoutError::describe(std::chrono::milliseconds(300)), "0.3 seconds");
    EXPECT_EQ(FtpTimeoutError::describe(std::chrono::milliseconds(1000)), "1 second");
}

} // namespace
