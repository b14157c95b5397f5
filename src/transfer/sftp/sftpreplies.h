#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The bookkeeping of SFTP requests sent without waiting for each answer: the requests still
// unanswered, by their ids, and what each answer says. libssh 0.10 waits a round trip for every
// request, writes one block at a time, and its asynchronous reads leave the channel's window at
// its own small size; a transfer that keeps many requests in flight builds the packets here,
// sends them itself and hands every answer it reads off the channel back here.
class SftpReplies
{
public:
    // An answer that is no answer to a request in flight: the connection can no longer be trusted.
    class ProtocolError : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    // What a request expects back besides a STATUS.
    enum class Kind {
        Status,     // a write, a close, a change of attributes
        Data,       // a read
        Handle,     // an open
        Attributes, // a stat of a path or of an open file
        Names,      // a read of a folder
    };

    // One entry of a folder's NAME answer, with the attributes the server gave.
    struct Name
    {
        std::string name;
        std::optional<std::uint64_t> size;
        std::optional<std::uint32_t> permissions; // with the file's type in its upper bits
        std::optional<std::uint32_t> modified;    // seconds since 1970, UTC
    };

    struct Answer
    {
        std::uint32_t id = 0;
        Kind kind = Kind::Status; // Status, or what the request expected
        std::uint32_t status = 0; // of a STATUS: SSH_FX_OK when done, SSH_FX_EOF past the end
        std::uint64_t bytes = 0;  // the size of the block the request sent or asked for
        std::string message;      // of a STATUS: the server's own words, for a failure
        std::string content;      // the bytes of a DATA answer (never more than asked for) or the handle
        // Of ATTRS, each when the server gave it.
        std::optional<std::uint64_t> size;
        std::optional<std::uint32_t> permissions;
        std::optional<std::uint32_t> modified;
        std::vector<Name> names; // of NAME
    };

    // The packets of the requests, each with its length field; a write's without its data.
    static std::string
    writePacketHeader(std::uint32_t id, std::string_view handle, std::uint64_t offset, std::uint32_t length);
    static std::string
    readPacket(std::uint32_t id, std::string_view handle, std::uint64_t offset, std::uint32_t length);
    // An open for writing that creates or truncates the file, with mode for a new one.
    static std::string openForWritingPacket(std::uint32_t id, std::string_view path, std::uint32_t mode);
    static std::string statPacket(std::uint32_t id, std::string_view path);
    static std::string fileStatPacket(std::uint32_t id, std::string_view handle);
    static std::string setModePacket(std::uint32_t id, std::string_view handle, std::uint32_t mode);
    static std::string closePacket(std::uint32_t id, std::string_view handle);
    static std::string openFolderPacket(std::uint32_t id, std::string_view path);
    static std::string readFolderPacket(std::uint32_t id, std::string_view handle);

    // bytes: of a write the block's size, of a read the length asked for.
    void sent(std::uint32_t id, Kind kind, std::uint64_t bytes = 0) { m_inFlight.emplace(id, Request{kind, bytes}); }
    std::size_t inFlight() const { return m_inFlight.size(); }

    // One packet as read off the channel after its length field (its type byte first). Throws
    // ProtocolError for anything but a well-formed STATUS, or what the request expected,
    // answering a request in flight.
    Answer take(std::string_view packet);

private:
    struct Request
    {
        Kind kind;
        std::uint64_t bytes;
    };
    std::map<std::uint32_t, Request> m_inFlight;
};
