#include "transfer/sftp/sftpreplies.h"

#include "transfer/sftp/sftppacketstream.h"

#include <gtest/gtest.h>

#include <optional>
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

std::string data(std::uint32_t id, const std::string &content)
{
    return packet(103, id, text(content));
}

struct ReplyCase
{
    const char *name;
    // Framed and read in this order, with writes 7 (64 KiB) and 8 (100 B), a read 9 (4 KiB), an
    // open 10 and a stat 11 in flight.
    std::vector<std::string> answers;
    std::uint64_t acknowledged;               // bytes the OK answers to writes stand for
    std::string received;                     // what the DATA answers brought
    std::string handle;                       // what the HANDLE answer gave
    std::optional<std::uint32_t> permissions; // what the ATTRS answer gave
    std::string failure;                      // the first failed status's message; empty for none
    bool protocolError;                       // an answer that no request in flight can have
};

class SftpRepliesTest : public ::testing::TestWithParam<ReplyCase>
{};

// Every case in pieces of a byte, of a few bytes and whole, as the channel may hand them over.
TEST_P(SftpRepliesTest, MatchesEachAnswerToItsRequest)
{
    const ReplyCase &c = GetParam();
    std::string bytes;
    for (const std::string &answer : c.answers)
        bytes += u32(static_cast<std::uint32_t>(answer.size())) + answer;
    for (const std::size_t piece : {std::size_t{1}, std::size_t{5}, bytes.size()}) {
        SftpReplies replies;
        replies.sent(7, SftpReplies::Kind::Status, 65536);
        replies.sent(8, SftpReplies::Kind::Status, 100);
        replies.sent(9, SftpReplies::Kind::Data, 4096);
        replies.sent(10, SftpReplies::Kind::Handle);
        replies.sent(11, SftpReplies::Kind::Attributes);
        SftpPacketStream stream;
        std::uint64_t acknowledged = 0;
        std::string received;
        std::string handle;
        std::optional<std::uint32_t> permissions;
        std::string failure;
        bool protocolError = false;
        std::size_t taken = 0;
        try {
            for (std::size_t at = 0; at < bytes.size(); at += piece) {
                stream.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
                while (const std::optional<std::string> next = stream.next()) {
                    const SftpReplies::Answer answer = replies.take(*next);
                    ++taken;
                    if (answer.kind == SftpReplies::Kind::Data)
                        received += answer.content;
                    else if (answer.kind == SftpReplies::Kind::Handle)
                        handle = answer.content;
                    else if (answer.kind == SftpReplies::Kind::Attributes)
                        permissions = answer.permissions;
                    else if (answer.status == 0)
                        acknowledged += answer.bytes;
                    else if (failure.empty())
                        failure = answer.message;
                }
            }
        } catch (const SftpReplies::ProtocolError &) {
            protocolError = true;
        }
        EXPECT_EQ(acknowledged, c.acknowledged) << piece;
        EXPECT_EQ(received, c.received) << piece;
        EXPECT_EQ(handle, c.handle) << piece;
        EXPECT_EQ(permissions, c.permissions) << piece;
        EXPECT_EQ(failure, c.failure) << piece;
        EXPECT_EQ(protocolError, c.protocolError) << piece;
        if (!c.protocolError) {
            EXPECT_TRUE(stream.empty()) << piece;
            EXPECT_EQ(replies.inFlight(), 5 - taken) << piece;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers,
    SftpRepliesTest,
    ::testing::Values(
        ReplyCase{"InOrder", {status(7, 0), status(8, 0), data(9, "abc")}, 65636, "abc", "", {}, "", false},
        ReplyCase{"OutOfOrder", {data(9, "abc"), status(8, 0), status(7, 0)}, 65636, "abc", "", {}, "", false},
        ReplyCase{"WithoutMessage", {packet(101, 7, u32(0))}, 65536, "", "", {}, "", false},
        ReplyCase{
            "OneRefused", {status(7, 0), status(8, 4, "No space left")}, 65536, "", "", {}, "No space left", false},
        ReplyCase{"EndOfFile", {status(9, 1, "End of file")}, 0, "", "", {}, "End of file", false},
        ReplyCase{
            "HandleAndMode",
            {packet(102, 10, text("h1")), packet(105, 11, u32(0x7) + u32(0) + u32(5) + u32(1) + u32(2) + u32(0100604))},
            0,
            "",
            "h1",
            0100604,
            "",
            false},
        ReplyCase{"AttributesWithoutMode", {packet(105, 11, u32(0x1) + u32(0) + u32(5))}, 0, "", "", {}, "", false},
        ReplyCase{"NoSuchFileToStat", {status(11, 2, "No such file")}, 0, "", "", {}, "No such file", false},
        ReplyCase{"UnknownId", {status(12, 0)}, 0, "", "", {}, "", true},
        ReplyCase{"TheSameIdTwice", {status(7, 0), status(7, 0)}, 65536, "", "", {}, "", true},
        ReplyCase{"DataForAWrite", {data(7, "x")}, 0, "", "", {}, "", true},
        ReplyCase{"HandleForAStat", {packet(102, 11, text("h1"))}, 0, "", "", {}, "", true},
        ReplyCase{"MoreDataThanAsked", {data(9, std::string(4097, 'x'))}, 0, "", "", {}, "", true},
        ReplyCase{"CutShort", {packet(101, 7, std::string(2, '\0'))}, 0, "", "", {}, "", true},
        ReplyCase{"MessageOverruns", {packet(101, 7, u32(0) + u32(50) + "short")}, 0, "", "", {}, "", true},
        ReplyCase{"NoPacketIsThatLong", {std::string(300 * 1024, 'x')}, 0, "", "", {}, "", true}),
    [](const ::testing::TestParamInfo<ReplyCase> &info) { return std::string(info.param.name); });

// A folder's NAME answer: each entry's name and the attributes its flags say come, in their
// order, extended pairs too; a count or a length past the packet is a malformed answer.
TEST(SftpFolderNames, AreReadWithTheirAttributes)
{
    const std::string eight = u32(0) + u32(8);
    const auto entry = [](const std::string &name, const std::string &attributes) {
        return text(name) + text("-rw-r--r-- 1 u g " + name) + attributes;
    };
    const struct
    {
        const char *name;
        std::string answer;
        std::vector<std::string> names;
        std::vector<std::optional<std::uint64_t>> sizes;
        std::vector<std::optional<std::uint32_t>> modes;
        std::vector<std::optional<std::uint32_t>> times;
        bool protocolError;
    } cases[] = {
        {"EveryAttribute",
         packet(104,
                13,
                u32(2)
                    + entry("a.html",
                            u32(0x8000000f) + eight + u32(1) + u32(2) + u32(0100644) + u32(7) + u32(99) + u32(1)
                                + text("x@example") + text("y"))
                    + entry("sub", u32(0x4) + u32(040755))),
         {"a.html", "sub"},
         {8, std::nullopt},
         {0100644, 040755},
         {99, std::nullopt},
         false},
        {"NoNames", packet(104, 13, u32(0)), {}, {}, {}, {}, false},
        {"MoreNamesThanSent", packet(104, 13, u32(3) + entry("a", u32(0))), {}, {}, {}, {}, true},
        {"ExtendedPairsPastTheEnd",
         packet(104, 13, u32(1) + entry("a", u32(0x80000000) + u32(0xffffffff))),
         {},
         {},
         {},
         {},
         true},
        {"NamesForAStat", packet(104, 11, u32(0)), {}, {}, {}, {}, true},
    };
    for (const auto &c : cases) {
        SftpReplies replies;
        replies.sent(11, SftpReplies::Kind::Attributes);
        replies.sent(13, SftpReplies::Kind::Names);
        try {
            const SftpReplies::Answer answer = replies.take(c.answer);
            ASSERT_FALSE(c.protocolError) << c.name;
            EXPECT_EQ(answer.kind, SftpReplies::Kind::Names) << c.name;
            ASSERT_EQ(answer.names.size(), c.names.size()) << c.name;
            for (std::size_t i = 0; i < c.names.size(); ++i) {
                EXPECT_EQ(answer.names[i].name, c.names[i]) << c.name;
                EXPECT_EQ(answer.names[i].size, c.sizes[i]) << c.name;
                EXPECT_EQ(answer.names[i].permissions, c.modes[i]) << c.name;
                EXPECT_EQ(answer.names[i].modified, c.times[i]) << c.name;
            }
        } catch (const SftpReplies::ProtocolError &) {
            EXPECT_TRUE(c.protocolError) << c.name;
        }
    }
}

// The requests are what SFTP version 3 lays down; a write's length covers the data after its header.
TEST(SftpRequestPackets, LayOutTheirFields)
{
    const std::string fields = text("hd") + u32(5) + u32(6) + u32(10);
    EXPECT_EQ(SftpReplies::writePacketHeader(0x01020304, "hd", 0x0000000500000006ull, 10),
              u32(1 + 4 + 4 + 2 + 8 + 4 + 10) + std::string(1, '\x06') + u32(0x01020304) + fields);
    EXPECT_EQ(SftpReplies::readPacket(0x01020304, "hd", 0x0000000500000006ull, 10),
              u32(1 + 4 + 4 + 2 + 8 + 4) + std::string(1, '\x05') + u32(0x01020304) + fields);
    // write, create, truncate; the mode as the attributes' only field
    EXPECT_EQ(SftpReplies::openForWritingPacket(9, "a/b", 0644),
              u32(1 + 4 + 7 + 4 + 8) + std::string(1, '\x03') + u32(9) + text("a/b") + u32(0x1a) + u32(4) + u32(0644));
    EXPECT_EQ(SftpReplies::setModePacket(9, "hd", 0604),
              u32(1 + 4 + 6 + 8) + std::string(1, '\x0a') + u32(9) + text("hd") + u32(4) + u32(0604));
}

} // namespace
