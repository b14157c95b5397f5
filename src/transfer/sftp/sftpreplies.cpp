#include "transfer/sftp/sftpreplies.h"

namespace {

// SFTP version 3's numbers (draft-ietf-secsh-filexfer-02).
constexpr unsigned char openType = 3;
constexpr unsigned char closeType = 4;
constexpr unsigned char fileStatType = 8;
constexpr unsigned char readType = 5;
constexpr unsigned char writeType = 6;
constexpr unsigned char setStatType = 10;
constexpr unsigned char openFolderType = 11;
constexpr unsigned char readFolderType = 12;
constexpr unsigned char statType = 17;
constexpr unsigned char statusType = 101;
constexpr unsigned char handleType = 102;
constexpr unsigned char dataType = 103;
constexpr unsigned char nameType = 104;
constexpr unsigned char attributesType = 105;
constexpr std::uint32_t writeFlag = 0x02;
constexpr std::uint32_t createFlag = 0x08;
constexpr std::uint32_t truncateFlag = 0x10;
constexpr std::uint32_t sizeAttribute = 0x01;
constexpr std::uint32_t ownersAttribute = 0x02;
constexpr std::uint32_t permissionsAttribute = 0x04;
constexpr std::uint32_t timesAttribute = 0x08;
constexpr std::uint32_t extendedAttribute = 0x80000000;

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

void putText(std::string &out, std::string_view text)
{
    putU32(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
}

// A request's packet: its length (with extra bytes to follow, a write's data), type and id, then
// the fields.
std::string packetOf(unsigned char type, std::uint32_t id, const std::string &fields, std::size_t extra = 0)
{
    std::string packet;
    packet.reserve(4 + 1 + 4 + fields.size());
    putU32(packet, static_cast<std::uint32_t>(1 + 4 + fields.size() + extra));
    packet.push_back(static_cast<char>(type));
    putU32(packet, id);
    packet.append(fields);
    return packet;
}

// A request whose one field is a path or a handle, and what follows it.
std::string packetNaming(unsigned char type, std::uint32_t id, std::string_view name, const std::string &after = {})
{
    std::string fields;
    putText(fields, name);
    return packetOf(type, id, fields + after);
}

std::string modeAttributes(std::uint32_t mode)
{
    std::string attributes;
    putU32(attributes, permissionsAttribute);
    putU32(attributes, mode);
    return attributes;
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

    std::uint64_t u64()
    {
        const std::uint64_t high = u32();
        return (high << 32) | u32();
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

// ATTRS: the fields come in the order of their flags.
void readAttributes(Fields &fields,
                    std::optional<std::uint64_t> &size,
                    std::optional<std::uint32_t> &permissions,
                    std::optional<std::uint32_t> &modified)
{
    const std::uint32_t flags = fields.u32();
    if ((flags & sizeAttribute) != 0)
        size = fields.u64();
    if ((flags & ownersAttribute) != 0) {
        fields.u32();
        fields.u32();
    }
    if ((flags & permissionsAttribute) != 0)
        permissions = fields.u32();
    if ((flags & timesAttribute) != 0) {
        fields.u32(); // accessed
        modified = fields.u32();
    }
    if ((flags & extendedAttribute) != 0) {
        // Each pair costs at least eight bytes, so a count past the packet runs out of it.
        for (std::uint32_t pair = fields.u32(); pair > 0; --pair) {
            fields.text();
            fields.text();
        }
    }
}

} // namespace

std::string
SftpReplies::writePacketHeader(std::uint32_t id, std::string_view handle, std::uint64_t offset, std::uint32_t length)
{
    std::string fields;
    putText(fields, handle);
    putU64(fields, offset);
    putU32(fields, length);
    return packetOf(writeType, id, fields, length);
}

std::string
SftpReplies::readPacket(std::uint32_t id, std::string_view handle, std::uint64_t offset, std::uint32_t length)
{
    std::string fields;
    putText(fields, handle);
    putU64(fields, offset);
    putU32(fields, length);
    return packetOf(readType, id, fields);
}

std::string SftpReplies::openForWritingPacket(std::uint32_t id, std::string_view path, std::uint32_t mode)
{
    std::string fields;
    putText(fields, path);
    putU32(fields, writeFlag | createFlag | truncateFlag);
    return packetOf(openType, id, fields + modeAttributes(mode));
}

std::string SftpReplies::statPacket(std::uint32_t id, std::string_view path)
{
    return packetNaming(statType, id, path);
}

std::string SftpReplies::fileStatPacket(std::uint32_t id, std::string_view handle)
{
    return packetNaming(fileStatType, id, handle);
}

std::string SftpReplies::setModePacket(std::uint32_t id, std::string_view handle, std::uint32_t mode)
{
    return packetNaming(setStatType, id, handle, modeAttributes(mode));
}

std::string SftpReplies::closePacket(std::uint32_t id, std::string_view handle)
{
    return packetNaming(closeType, id, handle);
}

std::string SftpReplies::openFolderPacket(std::uint32_t id, std::string_view path)
{
    return packetNaming(openFolderType, id, path);
}

std::string SftpReplies::readFolderPacket(std::uint32_t id, std::string_view handle)
{
    return packetNaming(readFolderType, id, handle);
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
    const Kind expected = request->second.kind;
    answer.bytes = request->second.bytes;
    if (type == statusType) {
        answer.status = fields.u32();
        // Servers of version 3 add a message and its language; older ones may leave both out.
        if (!fields.atEnd()) {
            answer.message = fields.text();
            if (!fields.atEnd())
                fields.text();
        }
    } else if ((type == dataType && expected == Kind::Data) || (type == handleType && expected == Kind::Handle)) {
        answer.kind = expected;
        answer.content = fields.text();
        if (expected == Kind::Data && answer.content.size() > answer.bytes)
            throw ProtocolError("more data than asked for");
    } else if (type == attributesType && expected == Kind::Attributes) {
        answer.kind = expected;
        readAttributes(fields, answer.size, answer.permissions, answer.modified);
    } else if (type == nameType && expected == Kind::Names) {
        answer.kind = expected;
        // Each name costs at least twelve bytes (two lengths and the flags), so a count past the
        // packet runs out of it before it takes memory.
        for (std::uint32_t count = fields.u32(); count > 0; --count) {
            Name name;
            name.name = fields.text();
            fields.text(); // the server's own "ls -l" line
            readAttributes(fields, name.size, name.permissions, name.modified);
            answer.names.push_back(std::move(name));
        }
    } else {
        throw ProtocolError("an answer of type " + std::to_string(type) + " to request " + std::to_string(answer.id));
    }
    m_inFlight.erase(request);
    return answer;
}
