#include "transfer/sftp/sftpwritereplies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string u32(std::uint32_t value)
{
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>((value >> shift) & 0xffu));
    return bytes;
}

std::string text(const std::string &value)
{
    return u32(static_cast<std::uint32_t>(value.size())) + value;
}

// A packet as read after its length field: type, id, then the rest.
std::string packet(unsigned char type, std::uint32_t id, const std::string &rest)
{
    return std::string(1, static_cast<char>(type)) + u32(id) + rest;
}

std::string status(std::uint32_t id, std::uint32_t code, const std::string &message = "")
{
    return packet(101, id, u32(code) + text(message) + text("en"));
}

struct ReplyCase
{
    const char *name;
    std::vector<std::string> answers; // read in this order, with writes 7 (64 KiB) and 8 (100 B) in flight
    std::uint64_t acknowledged;       // bytes the OK answers stand for
    std::string failure;              // the first failed status's message; empty for none
    bool protocolError;               // an answer no write in flight can have
};

class SftpWriteRepliesTest : public ::testing::TestWithParam<ReplyCase>
{};

TEST_P(SftpWriteRepliesTest, MatchesEachAnswerToItsWrite)
{
    const ReplyCase &c = GetParam();
    SftpWriteReplies replies;
    replies.sent(7, 65536);
    replies.sent(8, 100);
    std::uint64_t acknowledged = 0;
    std::string failure;
    bool protocolError = false;
    try {
        for (const std::string &answer : c.answers) {
            const SftpWriteReplies::Answer taken = replies.take(answer);
            if (taken.status == 0)
                acknowledged += taken.bytes;
            else if (failure.empty())
                failure = taken.message;
        }
    } catch (const SftpWriteReplies::ProtocolError &) {
        protocolError = true;
    }
    EXPECT_EQ(acknowledged, c.acknowledged);
    EXPECT_EQ(failure, c.failure);
    EXPECT_EQ(protocolError, c.protocolError);
    if (!c.protocolError) {
        EXPECT_EQ(replies.inFlight(), 2 - c.answers.size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers,
    SftpWriteRepliesTest,
    ::testing::Values(ReplyCase{"InOrder", {status(7, 0), status(8, 0)}, 65636, "", false},
                      ReplyCase{"OutOfOrder", {status(8, 0), status(7, 0)}, 65636, "", false},
                      ReplyCase{"WithoutMessage", {packet(101, 7, u32(0))}, 65536, "", false},
                      ReplyCase{
                          "OneRefused", {status(7, 0), status(8, 4, "No space left")}, 65536, "No space left", false},
                      ReplyCase{"UnknownId", {status(9, 0)}, 0, "", true},
                      ReplyCase{"TheSameIdTwice", {status(7, 0), status(7, 0)}, 65536, "", true},
                      ReplyCase{"NotAStatus", {packet(103, 7, text("data"))}, 0, "", true},
                      ReplyCase{"CutShort", {packet(101, 7, std::string(2, '\0'))}, 0, "", true},
                      ReplyCase{"MessageOverruns", {packet(101, 7, u32(0) + u32(50) + "short")}, 0, "", true}),
    [](const ::testing::TestParamInfo<ReplyCase> &info) { return std::string(info.param.name); });

// The header of a write is what SFTP version 3 lays down, and its length covers the data after it.
TEST(SftpWritePacket, HeaderLaysOutTheWrite)
{
    const std::string header = SftpWriteReplies::writePacketHeader(0x01020304, "hd", 0x0000000500000006ull, 10);
    const std::string expected = u32(1 + 4 + 4 + 2 + 8 + 4 + 10) + std::string(1, '\x06') + u32(0x01020304) + text("hd")
        + u32(5) + u32(6) + u32(10);
    EXPECT_EQ(header, expected);
    EXPECT_EQ(header.size(), SftpWriteReplies::writePacketHeaderSize(2));
}

} // namespace
