#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The SFTP packets in the bytes read off a channel, which come in pieces of any size: each one's
// length field, then that many bytes.
class SftpPacketStream
{
public:
    // Bytes as they came.
    void feed(const char *bytes, std::size_t count) { m_bytes.append(bytes, count); }
    // The next whole packet after its length field, once all of it came. Throws
    // SftpReplies::ProtocolError for a length no answer has.
    std::optional<std::string> next();
    bool empty() const { return m_bytes.size() == m_at; }

    // An answer is at most a block of data and its fields; OpenSSH allows 256 KiB.
    static constexpr std::size_t largestPacket = 256 * 1024;

private:
    std::string m_bytes;
    std::size_t m_at = 0; // where the next packet starts
};
