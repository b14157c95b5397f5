// The control connection's reply reader over any bytes a server may send, however the network
// cuts them: the replies it hands out are whole, trimmed and within its bounds, they do not depend
// on how the bytes arrived, it stops at the peer's close without asking for more, and it fails
// only with the errors the client knows (the peer closed, the protocol was broken).
#include "fuzz/fuzzcheck.h"
#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/ftpprotocolerror.h"
#include "transfer/ftp/ftpreplyreader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Outcome
{
    std::vector<FtpReply> replies;
    bool protocolError = false;
    bool operator==(const Outcome &other) const
    {
        if (protocolError != other.protocolError || replies.size() != other.replies.size())
            return false;
        for (std::size_t i = 0; i < replies.size(); ++i) {
            if (replies[i].code != other.replies[i].code || replies[i].lines != other.replies[i].lines)
                return false;
        }
        return true;
    }
};

bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

void checkReply(const FtpReply &reply)
{
    FUZZ_CHECK(!reply.lines.empty());
    std::size_t total = 0;
    for (const std::string &line : reply.lines) {
        FUZZ_CHECK(!line.empty());
        FUZZ_CHECK(!isBlankOrControl(line.front()) && !isBlankOrControl(line.back()));
        FUZZ_CHECK(line.size() <= FtpReplyReader::maxLineLength);
        FUZZ_CHECK(line.find('\n') == std::string::npos);
        total += line.size() + 1;
    }
    FUZZ_CHECK(total <= FtpReplyReader::maxReplySize);
    FUZZ_CHECK(reply.code >= 0 && reply.code <= 999);
    FUZZ_CHECK(reply.code == FtpReplyReader::codeOf(reply.lastLine()));
    // A reply of several lines is one that its first line announced with "nnn-".
    const std::string &first = reply.lines.front();
    FUZZ_CHECK(reply.lines.size() == 1 || (first.size() > 3 && first[3] == '-'));
}

// How the network hands the bytes over: as much as the reader asks for, or in pieces of 1 to 13
// bytes, so that line ends and reply codes fall across reads.
enum class Pieces {
    Whole,
    Small,
};

// Reads replies from stream until the reader gives up or maxReplies came.
Outcome readAll(const std::string &stream, Pieces pieces, std::size_t maxReplies = SIZE_MAX)
{
    constexpr std::size_t largestSmallPiece = 13;
    std::size_t offset = 0;
    std::size_t reads = 0;
    bool closed = false;
    FtpReplyReader reader([&](char *buffer, std::size_t capacity) -> std::size_t {
        FUZZ_CHECK(!closed); // nothing is read after the peer closed
        FUZZ_CHECK(capacity > 0);
        const std::size_t piece = pieces == Pieces::Whole ? capacity : 1 + reads++ % largestSmallPiece;
        const std::size_t count = std::min({piece, capacity, stream.size() - offset});
        std::memcpy(buffer, stream.data() + offset, count);
        offset += count;
        closed = count == 0;
        return count;
    });
    Outcome outcome;
    try {
        while (outcome.replies.size() < maxReplies) {
            outcome.replies.push_back(reader.readReply());
            checkReply(outcome.replies.back());
        }
    } catch (const ConnectionClosed &) {
        FUZZ_CHECK(reader.peerClosed());
    } catch (const FtpProtocolError &) {
        outcome.protocolError = true;
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string stream(reinterpret_cast<const char *>(data), size);
    FUZZ_CHECK(readAll(stream, Pieces::Small) == readAll(stream, Pieces::Whole));

    // The bounds only show on long streams: a few inputs also stand for a server that sends
    // them over and over, whose first replies the reader must end or cut off within its limits.
    if (size > 0 && size % 64 == 0) {
        std::string flood;
        while (flood.size() <= FtpReplyReader::maxReplySize + FtpReplyReader::maxLineLength)
            flood += stream;
        readAll(flood, Pieces::Whole, 2);
    }
    return 0;
}
