#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

// The bookkeeping of SFTP reads and writes sent without waiting for each answer: the requests
// still unanswered, by their ids, and what each answer says. libssh 0.10 writes one block at a
// time and waits a round trip for each, and its asynchronous reads leave the channel's window
// at its own small size; a transfer that keeps many blocks in flight sends the packets itself
// (readPacket, writePacketHeader) and hands every answer it reads off the channel here.
class SftpReplies
{
public:
    // An answer that is no answer to a request in flight: the connection can no longer be trusted.
    class ProtocolError : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    struct Answer
    {
        std::uint32_t id = 0;
        bool data = false;        // SSH_FXP_DATA; else SSH_FXP_STATUS
        std::uint32_t status = 0; // of a STATUS: SSH_FX_OK when a block is written, SSH_FX_EOF past the end
        std::uint64_t bytes = 0;  // the size of the block the request asked for or sent
        std::string message;      // the server's own words, for a failure
        std::string content;      // the bytes of a DATA answer, never more than asked for
    };

    // The bytes of an SSH_FXP_WRITE packet before its data: the packet's length, its type, the
    // request's id, the file's handle, the offset and the data's length.
    static std::string
    writePacketHeader(std::uint32_t id, std::string_view handle, std::uint64_t offset, std::uint32_t length);
    // A whole SSH_FXP_READ packet.
    static std::string
    readPacket(std::uint32_t id, std::string_view handle, std::uint64_t offset, std::uint32_t length);

    void sentWrite(std::uint32_t id, std::uint64_t bytes) { m_inFlight.emplace(id, Request{bytes, false}); }
    void sentRead(std::uint32_t id, std::uint32_t length) { m_inFlight.emplace(id, Request{length, true}); }
    std::size_t inFlight() const { return m_inFlight.size(); }

    // One packet as read off the channel after its length field (its type byte first). Throws
    // ProtocolError for anything but a well-formed STATUS answering a request in flight, or a
    // DATA answering a read.
    Answer take(std::string_view packet);

private:
    struct Request
    {
        std::uint64_t bytes;
        bool read;
    };
    std::map<std::uint32_t, Request> m_inFlight;
};
