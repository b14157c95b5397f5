#include "transfer/ftp/ftpreplyreader.h"

#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/ftpprotocolerror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Feeds the reader the given chunks one read at a time, then reports the peer closed.
class ChunkFeed
{
public:
    explicit ChunkFeed(std::vector<std::string> chunks) : m_chunks(std::move(chunks)) {}

    std::size_t operator()(char *buffer, std::size_t capacity)
    {
        ++m_reads;
        if (m_next == m_chunks.size())
            return 0;
        std::string &chunk = m_chunks[m_next];
        const std::size_t size = std::min(capacity, chunk.size());
        std::memcpy(buffer, chunk.data(), size);
        chunk.erase(0, size);
        if (chunk.empty())
            ++m_next;
        return size;
    }

    int reads() const { return m_reads; }

private:
    std::vector<std::string> m_chunks;
    std::size_t m_next = 0;
    int m_reads = 0;
};

struct ReplyCase
{
    const char *name;
    std::vector<std::string> chunks;
    int code;
    std::vector<std::string> lines;
};

class ReplyParsing : public testing::TestWithParam<ReplyCase>
{};

TEST_P(ReplyParsing, ReadsLinesAndCode)
{
    const ReplyCase &c = GetParam();
    ChunkFeed feed(c.chunks);
    FtpReplyReader reader([&feed](char *buffer, std::size_t capacity) { return feed(buffer, capacity); });
    const FtpReply reply = reader.readReply();
    EXPECT_EQ(reply.code, c.code);
    EXPECT_EQ(reply.lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Replies,
    ReplyParsing,
    testing::Values(ReplyCase{"SingleLine", {"220 Ready\r\n"}, 220, {"220 Ready"}},
                    ReplyCase{"BareLineFeed", {"200 OK\n"}, 200, {"200 OK"}},
                    ReplyCase{"TrimsBlanksAndControls", {"\t 257 \"/a b\" \x01\r\n"}, 257, {"257 \"/a b\""}},
                    ReplyCase{"SkipsEmptyLines", {"\r\n  \r\n\n331 Password\r\n"}, 331, {"331 Password"}},
                    ReplyCase{
                        "SplitAcrossReads", {"22", "6 Tr", "ansfer complete\r", "\n"}, 226, {"226 Transfer complete"}},
                    ReplyCase{"MultiLineGreeting",
                              {"220-Welcome\r\n220-to the server\r\n220 Ready\r\n"},
                              220,
                              {"220-Welcome", "220-to the server", "220 Ready"}},
                    ReplyCase{"ContinuationWithoutCode",
                              {"211-Features:\r\n MDTM\r\n SIZE\r\n211 End\r\n"},
                              211,
                              {"211-Features:", "MDTM", "SIZE", "211 End"}},
                    ReplyCase{"EndMarkerIgnoresCase", {"2ab-x\r\n2AB done\r\n"}, 0, {"2ab-x", "2AB done"}},
                    ReplyCase{"ShortLineEndsReply", {"220-hello\r\nok\r\n220 never read\r\n"}, 0, {"220-hello", "ok"}},
                    ReplyCase{"CodeFromLastLine", {"150-opening\r\n150 here\r\n"}, 150, {"150-opening", "150 here"}},
                    ReplyCase{"NotANumber", {"abc what\r\n"}, 0, {"abc what"}},
                    ReplyCase{"ShiftJisBytesKept",
                              {"550 \x83\x65\x83\x58\x83\x67.html: No such file\r\n"},
                              550,
                              {"550 \x83\x65\x83\x58\x83\x67.html: No such file"}}),
    [](const testing::TestParamInfo<ReplyCase> &info) { return std::string(info.param.name); });

FtpReplyReader readerOver(ChunkFeed &feed)
{
    return FtpReplyReader([&feed](char *buffer, std::size_t capacity) { return feed(buffer, capacity); });
}

TEST(ReplyReader, ReadsInBlocksOf32768Bytes)
{
    std::size_t largest = 0;
    FtpReplyReader reader([&largest](char *buffer, std::size_t capacity) {
        largest = std::max(largest, capacity);
        std::memcpy(buffer, "200 OK\r\n", 8);
        return std::size_t{8};
    });
    reader.readReply();
    EXPECT_EQ(largest, 32768u);
}

TEST(ReplyReader, KeepsBytesOfTheNextReply)
{
    ChunkFeed feed({"150 Opening\r\n226 Done\r\n"});
    FtpReplyReader reader = readerOver(feed);
    EXPECT_EQ(reader.readReply().code, 150);
    EXPECT_EQ(reader.readReply().code, 226);
    EXPECT_EQ(feed.reads(), 1);
}

TEST(ReplyReader, LongValidRepliesStillWork)
{
    const std::string longLine = "200 " + std::string(17000, 'x');
    std::string many = "214-Help\r\n";
    for (int index = 0; index < 500; ++index)
        many += " command " + std::to_string(index) + "\r\n";
    many += "214 End\r\n";
    ChunkFeed feed({longLine + "\r\n", many});
    FtpReplyReader reader = readerOver(feed);
    EXPECT_EQ(reader.readReply().lastLine(), longLine);
    const FtpReply help = reader.readReply();
    EXPECT_EQ(help.code, 214);
    EXPECT_EQ(help.lines.size(), 502u);
}

TEST(ReplyReader, EndlessLineFailsWithoutGrowingForever)
{
    int reads = 0;
    FtpReplyReader reader([&reads](char *buffer, std::size_t capacity) {
        ++reads;
        std::memset(buffer, 'A', capacity);
        return capacity;
    });
    EXPECT_THROW(reader.readReply(), FtpProtocolError);
    EXPECT_LE(reads, 3); // 64 KiB is reached after three 32 KiB reads
}

TEST(ReplyReader, OverLongLineWithLineEndIsRefusedToo)
{
    ChunkFeed feed({"200 " + std::string(70000, 'y') + "\r\n"});
    FtpReplyReader reader = readerOver(feed);
    EXPECT_THROW(reader.readReply(), FtpProtocolError);
}

TEST(ReplyReader, EndlessMultiLineReplyIsBounded)
{
    FtpReplyReader reader([first = true](char *buffer, std::size_t capacity) mutable {
        const std::string chunk = first ? "250-start\r\n" : std::string(1000, 'z') + "\r\n";
        first = false;
        std::memcpy(buffer, chunk.data(), chunk.size());
        return chunk.size();
    });
    EXPECT_THROW(reader.readReply(), FtpProtocolError);
}

TEST(ReplyReader, PeerClosedMidLineIsConnectionClosed)
{
    ChunkFeed feed({"220 half a li"});
    FtpReplyReader reader = readerOver(feed);
    try {
        reader.readReply();
        FAIL() << "no error";
    } catch (const ConnectionClosed &error) {
        EXPECT_STREQ(error.what(), "Connection Closed Gracefully.");
    }
    EXPECT_TRUE(reader.peerClosed());
}

TEST(ReplyReader, BufferedReplyIsReadAfterPeerClosed)
{
    ChunkFeed feed({"221 Bye\r\n"});
    FtpReplyReader reader = readerOver(feed);
    EXPECT_EQ(reader.readReply().code, 221);
    EXPECT_THROW(reader.readReply(), ConnectionClosed);
    EXPECT_THROW(reader.readReply(), ConnectionClosed); // and it does not read again
    EXPECT_EQ(feed.reads(), 2);
}

} // namespace
