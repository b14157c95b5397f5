#pragma once

#include "transfer/ftp/deadline.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

class TcpSocket;
class UploadWatch;

// A connection's bytes, whether they travel plain or inside TLS: the reply reader and the data
// connection read and write through this and do not care which. Every wait ends at its
// deadline or when the socket's interrupter is raised; writes never raise SIGPIPE.
class ByteStream
{
public:
    virtual ~ByteStream() = default;

    virtual bool isOpen() const = 0;
    // Closes at once, without any goodbye.
    virtual void close() = 0;
    // Reads what is there, at most capacity bytes; 0 means the peer closed the connection;
    // nullopt means the deadline passed first.
    virtual std::optional<std::size_t> receiveSome(char *buffer, std::size_t capacity, const Deadline &deadline) = 0;
    // Sends every byte; false when the peer took nothing for idleLimit. With watch (an upload),
    // the waits go through it and its idle limit counts.
    virtual bool
    sendAll(const char *data, std::size_t size, std::chrono::milliseconds idleLimit, UploadWatch *watch) = 0;
    // Bytes handed to the system so far, TLS records' framing included.
    virtual std::uint64_t bytesSent() const = 0;
    // True when bytes can be read without waiting, counting those a layer holds already.
    virtual bool hasBuffered() const = 0;
    // Waits until bytes can be read; false when the deadline passed.
    virtual bool waitReadable(const Deadline &deadline) = 0;
    // The connection underneath, for its addresses and for waiting on it beside another.
    virtual TcpSocket &socket() = 0;
};
