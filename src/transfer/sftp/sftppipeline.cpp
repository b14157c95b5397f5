#include "transfer/sftp/sftppipeline.h"

#include <cstring>
#include <libssh/libssh.h>
#include <libssh/sftp.h>

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

SftpPipeline::SftpPipeline(sftp_session_struct *sftp, std::chrono::milliseconds answerLimit)
    : m_sftp(sftp), m_answerLimit(answerLimit)
{}

std::uint32_t SftpPipeline::nextId()
{
    // libssh's sftp_get_new_id() counts the same way: its next request takes the next number.
    return ++m_sftp->id_counter;
}

void SftpPipeline::write(const char *bytes, std::size_t count)
{
    if (ssh_channel_write(m_sftp->channel, bytes, static_cast<std::uint32_t>(count)) != static_cast<int>(count))
        throw ChannelFailed();
}

std::uint32_t
SftpPipeline::send(const std::string &packet, std::uint32_t id, SftpReplies::Kind kind, std::uint64_t bytes)
{
    write(packet.data(), packet.size());
    m_replies.sent(id, kind, bytes);
    return id;
}

std::uint32_t
SftpPipeline::sendWrite(std::string_view handle, std::uint64_t offset, const char *data, std::uint32_t length)
{
    const std::uint32_t id = nextId();
    const std::string header = SftpReplies::writePacketHeader(id, handle, offset, length);
    // One buffer, one channel write: the header as a channel message of its own would cost a
    // packet of the transport for a few dozen bytes.
    m_packet.resize(header.size() + length);
    std::memcpy(m_packet.data(), header.data(), header.size());
    std::memcpy(m_packet.data() + header.size(), data, length);
    write(m_packet.data(), m_packet.size());
    m_replies.sent(id, SftpReplies::Kind::Status, length);
    return id;
}

std::uint32_t SftpPipeline::sendRead(std::string_view handle, std::uint64_t offset, std::uint32_t length)
{
    const std::uint32_t id = nextId();
    return send(SftpReplies::readPacket(id, handle, offset, length), id, SftpReplies::Kind::Data, length);
}

std::uint32_t SftpPipeline::sendOpenForWriting(std::string_view path, std::uint32_t mode)
{
    const std::uint32_t id = nextId();
    return send(SftpReplies::openForWritingPacket(id, path, mode), id, SftpReplies::Kind::Handle);
}

std::uint32_t SftpPipeline::sendStat(std::string_view path)
{
    const std::uint32_t id = nextId();
    return send(SftpReplies::statPacket(id, path), id, SftpReplies::Kind::Attributes);
}

std::uint32_t SftpPipeline::sendFileStat(std::string_view handle)
{
    const std::uint32_t id = nextId();
    return send(SftpReplies::fileStatPacket(id, handle), id, SftpReplies::Kind::Attributes);
}

std::uint32_t SftpPipeline::sendSetMode(std::string_view handle, std::uint32_t mode)
{
    const std::uint32_t id = nextId();
    return send(SftpReplies::setModePacket(id, handle, mode), id, SftpReplies::Kind::Status);
}

std::uint32_t SftpPipeline::sendClose(std::string_view handle)
{
    const std::uint32_t id = nextId();
    return send(SftpReplies::closePacket(id, handle), id, SftpReplies::Kind::Status);
}

std::uint32_t SftpPipeline::sendOpenFolder(std::string_view path)
{
    const std::uint32_t id = nextId();
    return send(SftpReplies::openFolderPacket(id, path), id, SftpReplies::Kind::Handle);
}

std::uint32_t SftpPipeline::sendReadFolder(std::string_view handle)
{
    const std::uint32_t id = nextId();
    return send(SftpReplies::readFolderPacket(id, handle), id, SftpReplies::Kind::Names);
}

SftpReplies::Answer SftpPipeline::awaitAnswer()
{
    if (m_replies.inFlight() == 0)
        throw SftpReplies::ProtocolError("an answer awaited with no request in flight");
    const Clock::time_point giveUp = Clock::now() + m_answerLimit;
    for (;;) {
        if (std::optional<std::string> packet = m_stream.next())
            return m_replies.take(*packet);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now());
        if (left.count() <= 0)
            throw AnswerLate();
        m_piece.resize(readPiece);
        // Asking for this much also has libssh widen the channel's window to it.
        const int got =
            ssh_channel_read_timeout(m_sftp->channel, m_piece.data(), readPiece, 0, static_cast<int>(left.count()));
        if (got < 0 || (got == 0 && ssh_channel_is_eof(m_sftp->channel) != 0))
            throw ChannelFailed();
        m_stream.feed(m_piece.data(), static_cast<std::size_t>(got));
    }
}

void SftpPipeline::drain()
{
    while (m_replies.inFlight() > 0)
        awaitAnswer();
    // Nothing may be left that libssh's reader would take for an answer of its own.
    if (!m_stream.empty())
        throw SftpReplies::ProtocolError("bytes after the last answer");
}
