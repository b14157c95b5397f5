#include "transfer/sftp/sftpwritepipeline.h"

#include <cstring>
#include <libssh/libssh.h>
#include <libssh/sftp.h>

namespace {

using Clock = std::chrono::steady_clock;

// A STATUS answer is a few dozen bytes; anything near this is no answer to a write.
constexpr std::uint32_t largestAnswer = 64 * 1024;
constexpr std::size_t lengthField = 4;

std::uint32_t bigEndian(const char *bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

} // namespace

SftpWritePipeline::SftpWritePipeline(sftp_session_struct *sftp,
                                     sftp_file_struct *file,
                                     std::chrono::milliseconds answerLimit)
    : m_sftp(sftp), m_handle(static_cast<const char *>(ssh_string_data(file->handle)), ssh_string_len(file->handle)),
      m_answerLimit(answerLimit)
{}

void SftpWritePipeline::send(std::uint64_t offset, const char *data, std::uint32_t length)
{
    // libssh's sftp_get_new_id() counts the same way: its next request takes the next number.
    const std::uint32_t id = ++m_sftp->id_counter;
    const std::string header = SftpWriteReplies::writePacketHeader(id, m_handle, offset, length);
    // One buffer, one channel write: the header as a channel message of its own would cost a
    // packet of the transport for a few dozen bytes.
    m_packet.resize(header.size() + length);
    std::memcpy(m_packet.data(), header.data(), header.size());
    std::memcpy(m_packet.data() + header.size(), data, length);
    if (ssh_channel_write(m_sftp->channel, m_packet.data(), static_cast<std::uint32_t>(m_packet.size()))
        != static_cast<int>(m_packet.size()))
        throw ChannelFailed();
    m_replies.sent(id, length);
}

void SftpWritePipeline::readExactly(char *into, std::size_t count)
{
    const Clock::time_point giveUp = Clock::now() + m_answerLimit;
    while (count > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now());
        if (left.count() <= 0)
            throw AnswerLate();
        const int got = ssh_channel_read_timeout(
            m_sftp->channel, into, static_cast<std::uint32_t>(count), 0, static_cast<int>(left.count()));
        if (got < 0 || (got == 0 && ssh_channel_is_eof(m_sftp->channel) != 0))
            throw ChannelFailed();
        into += got;
        count -= static_cast<std::size_t>(got);
    }
}

SftpWriteReplies::Answer SftpWritePipeline::awaitAnswer()
{
    char length[lengthField];
    readExactly(length, lengthField);
    const std::uint32_t size = bigEndian(length);
    if (size == 0 || size > largestAnswer)
        throw SftpWriteReplies::ProtocolError("a packet of " + std::to_string(size) + " bytes");
    std::string packet(size, '\0');
    readExactly(packet.data(), size);
    return m_replies.take(packet);
}
