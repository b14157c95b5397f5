#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

// The bookkeeping of SFTP write requests sent without waiting for each answer: the requests
// still unanswered, by their ids, and what each STATUS answer says. libssh 0.10 writes one block
// at a time and waits a round trip for each; an upload that keeps several writes in flight sends
// the packets itself (writePacketHeader) and hands every answer it reads off the channel here.
class SftpWriteReplies
{
public:
    // An answer that is no answer to a write in flight: the connection can no longer be trusted.
    class ProtocolError : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    struct Answer
    {
        std::uint32_t status = 0; // SSH_FX_OK when the block is written
        std::uint64_t bytes = 0;  // the size of the block it answers
        std::string message;      // the server's own words, for a failure
    };

    // The bytes of an SSH_FXP_WRITE packet before its data: the packet's length, its type, the
    // request's id, the file's handle, the offset and the data's length.
    static std::string
    writePacketHeader(std::uint32_t id, std::string_view handle, std::uint64_t offset, std::uint32_t length);
    static std::size_t writePacketHeaderSize(std::size_t handleSize);

    void sent(std::uint32_t id, std::uint64_t bytes) { m_inFlight.emplace(id, bytes); }
    std::size_t inFlight() const { return m_inFlight.size(); }

    // One packet as read off the channel after its length field (its type byte first). Throws
    // ProtocolError for anything but a well-formed STATUS answering a write in flight.
    Answer take(std::string_view packet);

private:
    std::map<std::uint32_t, std::uint64_t> m_inFlight; // id → the block's size
};
