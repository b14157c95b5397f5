#include "transfer/sftp/sftpreplies.h"

namespace {

// SFTP version 3's numbers (draft-ietf-secsh-filexfer-02).
constexpr unsigned char readType = 5;
constexpr unsigned char writeType = 6;
constexpr unsigned char statusType = 101;
constexpr unsigned char dataType = 103;

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
            throw SftpReplies::ProtocolError("a short answer");
    }

    std::string_view m_bytes;
    std::size_t m_at = 0;
};

} // namespace

std::string
SftpReplies::writePacketHeader(std::uint32_t id, std::string_view handle, std::uint64_t offset, std::uint32_t length)
{
    // type, id, handle's length and bytes, offset, data's length
    const std::size_t fields = 1 + 4 + 4 + handle.size() + 8 + 4;
    std::string header;
    header.reserve(4 + fields);
    putU32(header, static_cast<std::uint32_t>(fields + length));
    header.push_back(static_cast<char>(writeType));
    putU32(header, id);
    putU32(header, static_cast<std::uint32_t>(handle.size()));
    header.append(handle);
    putU64(header, offset);
    putU32(header, length);
    return header;
}

std::string
SftpReplies::readPacket(std::uint32_t id, std::string_view handle, std::uint64_t offset, std::uint32_t length)
{
    std::string packet;
    putU32(packet, static_cast<std::uint32_t>(1 + 4 + 4 + handle.size() + 8 + 4));
    packet.push_back(static_cast<char>(readType));
    putU32(packet, id);
    putU32(packet, static_cast<std::uint32_t>(handle.size()));
    packet.append(handle);
    putU64(packet, offset);
    putU32(packet, length);
    return packet;
}

SftpReplies::Answer SftpReplies::take(std::string_view packet)
{
    Fields fields(packet);
    const unsigned char type = fields.byte();
    Answer answer;
    answer.id = fields.u32();
    const auto request = m_inFlight.find(answer.id);
    if (request == m_inFlight.end())
        throw ProtocolError("an answer to request " + std::to_string(answer.id) + ", which is not in flight");
    answer.bytes = request->second.bytes;
    if (type == dataType && request->second.read) {
        answer.data = true;
        answer.content = fields.text();
        if (answer.content.size() > answer.bytes)
            throw ProtocolError("more data than asked for");
    } else if (type == statusType) {
        answer.status = fields.u32();
        // Servers of version 3 add a message and its language; older ones may leave both out.
        if (!fields.atEnd()) {
            answer.message = fields.text();
            if (!fields.atEnd())
                fields.text();
        }
    } else {
        throw ProtocolError("an answer of type " + std::to_string(type) + " to request " + std::to_string(answer.id));
    }
    m_inFlight.erase(request);
    return answer;
}
