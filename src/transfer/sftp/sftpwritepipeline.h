#pragma once

#include "transfer/sftp/sftpwritereplies.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct sftp_session_struct;
struct sftp_file_struct;

// Writes to an open SFTP file with several requests in flight, on the session's own channel:
// libssh 0.10 has no asynchronous write, and its sftp_write waits a round trip for every block.
// The ids come from the session's own counter, so that none is ever given twice; every answer
// is read here, packet by packet and never a byte further, so that libssh's own reader (which
// refuses answers to requests it did not send) finds the channel as it left it. Only once
// inFlight() is 0 may libssh use the session again; a caller that cannot wait for that (the
// channel failed, an answer made no sense or did not come) must drop the connection.
class SftpWritePipeline
{
public:
    // The channel failed under a call: the connection is gone, or was shut down by a stop.
    struct ChannelFailed
    {};
    // No answer within the time limit.
    struct AnswerLate
    {};

    SftpWritePipeline(sftp_session_struct *sftp, sftp_file_struct *file, std::chrono::milliseconds answerLimit);

    // Sends one SSH_FXP_WRITE of the bytes at offset. Throws ChannelFailed.
    void send(std::uint64_t offset, const char *data, std::uint32_t length);
    // Waits for the next answer. Throws ChannelFailed, AnswerLate, SftpWriteReplies::ProtocolError.
    SftpWriteReplies::Answer awaitAnswer();
    std::size_t inFlight() const { return m_replies.inFlight(); }

private:
    void readExactly(char *into, std::size_t count);

    sftp_session_struct *m_sftp;
    std::string m_handle;
    std::chrono::milliseconds m_answerLimit;
    SftpWriteReplies m_replies;
    std::vector<char> m_packet;
};
