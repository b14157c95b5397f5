#include "transfer/sftp/sftpwritereplies.h"

namespace {

// SFTP version 3's numbers (draft-ietf-secsh-filexfer-02).
constexpr unsigned char writeType = 6;
constexpr unsigned char statusType = 101;

void putU32(std::string &out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xffu));
}

void putU64(std::string &out, std::uint64_t value)
{
    putU32(out, static_cast<std::uint32_t>(value >> 32));
    putU32(out, static_cast<std::uint32_t>(value & 0xffffffffu));
}

// Reads the fields of a packet in order; running past its end is a malformed answer.
class Fields
{
public:
    explicit Fields(std::string_view bytes) : m_bytes(bytes) {}

    std::uint32_t u32()
    {
        need(4);
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | static_cast<unsigned char>(m_bytes[m_at + static_cast<std::size_t>(i)]);
        m_at += 4;
        return value;
    }

    unsigned char byte()
    {
        need(1);
        return static_cast<unsigned char>(m_bytes[m_at++]);
    }

    std::string text()
    {
        const std::uint32_t length = u32();
        need(length);
        std::string value(m_bytes.substr(m_at, length));
        m_at += length;
        return value;
    }

    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    void need(std::size_t count) const
    {
        if (m_bytes.size() - m_at < count)
            throw SftpWriteReplies::ProtocolError("a short STATUS packet");
    }

    std::string_view m_bytes;
    std::size_t m_at = 0;
};

} // namespace

std::size_t SftpWriteReplies::writePacketHeaderSize(std::size_t handleSize)
{
    // length, type, id, handle's length and bytes, offset, data's length
    return 4 + 1 + 4 + 4 + handleSize + 8 + 4;
}

std::string SftpWriteReplies::writePacketHeader(std::uint32_t id,
                                                std::string_view handle,
                                                std::uint64_t offset,
                                                std::uint32_t length)
{
    std::string header;
    header.reserve(writePacketHeaderSize(handle.size()));
    const std::size_t afterLength = writePacketHeaderSize(handle.size()) - 4 + length;
    putU32(header, static_cast<std::uint32_t>(afterLength));
    header.push_back(static_cast<char>(writeType));
    putU32(header, id);
    putU32(header, static_cast<std::uint32_t>(handle.size()));
    header.append(handle);
    putU64(header, offset);
    putU32(header, length);
    return header;
}

SftpWriteReplies::Answer SftpWriteReplies::take(std::string_view packet)
{
    Fields fields(packet);
    const unsigned char type = fields.byte();
    const std::uint32_t id = fields.u32();
    if (type != statusType)
        throw ProtocolError("an answer of type " + std::to_string(type) + " to a write");
    const auto request = m_inFlight.find(id);
    if (request == m_inFlight.end())
        throw ProtocolError("an answer to request " + std::to_string(id) + ", which is not in flight");
    Answer answer;
    answer.status = fields.u32();
    answer.bytes = request->second;
    // Servers of version 3 add a message and its language; older ones may leave both out.
    if (!fields.atEnd()) {
        answer.message = fields.text();
        if (!fields.atEnd())
            fields.text();
    }
    m_inFlight.erase(request);
    return answer;
}
