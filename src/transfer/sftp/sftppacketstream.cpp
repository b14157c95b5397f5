#include "transfer/sftp/sftppacketstream.h"

#include "transfer/sftp/sftpreplies.h"

namespace {

constexpr std::size_t lengthField = 4;

} // namespace

std::optional<std::string> SftpPacketStream::next()
{
    if (m_bytes.size() - m_at < lengthField)
        return std::nullopt;
    std::size_t length = 0;
    for (std::size_t i = 0; i < lengthField; ++i)
        length = (length << 8) | static_cast<unsigned char>(m_bytes[m_at + i]);
    if (length == 0 || length > largestPacket)
        throw SftpReplies::ProtocolError("a packet of " + std::to_string(length) + " bytes");
    if (m_bytes.size() - m_at - lengthField < length)
        return std::nullopt;
    std::string packet = m_bytes.substr(m_at + lengthField, length);
    m_at += lengthField + length;
    // What was taken is dropped now and then, not after every packet, so that the bytes behind it
    // are not moved for each one.
    if (m_at == m_bytes.size() || m_at > largestPacket) {
        m_bytes.erase(0, m_at);
        m_at = 0;
    }
    return packet;
}
