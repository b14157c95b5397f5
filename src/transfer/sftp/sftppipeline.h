#pragma once

#include "transfer/sftp/sftppacketstream.h"
#include "transfer/sftp/sftpreplies.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sftp_session_struct;

// Many SFTP requests in flight at once, on the session's own channel, for a transfer: libssh 0.10 has no asynchronous write (its sftp_write waits a round trip for every
// block), and while its own reader runs, the channel's window stays at libssh's 1.2 MB, which at
// a round trip of 20 ms holds a download near 30 MiB/s. The ids come from the session's own
// counter, so that none is ever given twice. While requests of this pipeline are in flight,
// everything the server sends on the channel answers one of them, so the channel is read here
// in large pieces (which also lets libssh widen the window to them); once inFlight() is 0 the
// channel is as libssh left it, and libssh may use the session again. A caller that cannot wait
// for that (the channel failed, an answer made no sense or did not come) must drop the
// connection.
class SftpPipeline
{
public:
    // The channel failed under a call: the connection is gone, or was shut down by a stop.
    struct ChannelFailed
    {};
    // No answer within the time limit.
    struct AnswerLate
    {};

    SftpPipeline(sftp_session_struct *sftp, std::chrono::milliseconds answerLimit);

    // Each sends a request (see SftpReplies) and returns its id; throws ChannelFailed.
    std::uint32_t sendWrite(std::string_view handle, std::uint64_t offset, const char *data, std::uint32_t length);
    std::uint32_t sendRead(std::string_view handle, std::uint64_t offset, std::uint32_t length);
    std::uint32_t sendOpenForWriting(std::string_view path, std::uint32_t mode);
    std::uint32_t sendStat(std::string_view path);
    std::uint32_t sendFileStat(std::string_view handle);
    std::uint32_t sendSetMode(std::string_view handle, std::uint32_t mode);
    std::uint32_t sendClose(std::string_view handle);
    std::uint32_t sendOpenFolder(std::string_view path);
    std::uint32_t sendReadFolder(std::string_view handle);

    // Waits for the next answer. Throws ChannelFailed, AnswerLate, SftpReplies::ProtocolError.
    SftpReplies::Answer awaitAnswer();
    std::size_t inFlight() const { return m_replies.inFlight(); }
    // Reads the answers still owed, ignoring what they say. Throws as awaitAnswer().
    void drain();

    // The most the channel is read at once, and so its window: 4 MiB, 200 MiB/s at 20 ms.
    static constexpr std::uint32_t readPiece = 4 * 1024 * 1024;

private:
    std::uint32_t nextId();
    std::uint32_t send(const std::string &packet, std::uint32_t id, SftpReplies::Kind kind, std::uint64_t bytes = 0);
    void write(const char *bytes, std::size_t count);

    sftp_session_struct *m_sftp;
    std::chrono::milliseconds m_answerLimit;
    SftpReplies m_replies;
    SftpPacketStream m_stream;
    std::vector<char> m_packet;
    std::vector<char> m_piece;
};
