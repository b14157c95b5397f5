#pragma once

#include "transfer/ftp/deadline.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

class ByteStream;

// How far the server has taken an upload: the bytes handed to the system, less those it still
// holds unacknowledged. On a fast link the system takes a whole file into its buffers at once,
// long before the server has it, so what was written says nothing. The upload's waits go through
// this watch: it reports at least every reportInterval while they last, and a server that still
// takes bytes, however slowly, is not taken for a silent one. Refers to the data connection.
class UploadWatch
{
public:
    using Report = std::function<void(std::uint64_t taken)>;
    // One wait of at most the deadline given; true when what it waits for came.
    using WaitOnce = std::function<bool(const Deadline &deadline)>;

    enum class WaitEnd {
        Ready, // what the wait was for came
        Taken, // everything handed to the system has reached the server
        Idle,  // the server took nothing for the idle limit
    };

    static constexpr std::chrono::milliseconds reportInterval{250};

    // From when the connection is ready for the upload's first byte.
    UploadWatch(ByteStream &connection, std::chrono::milliseconds idleLimit, Report report);

    // The upload's bytes handed to the connection once the block under way is sent: no report
    // goes past them (TLS adds its framing to what the system holds).
    void handingUpTo(std::uint64_t bytes) { m_limit = bytes; }
    // Reports how far the server has come now.
    void report();
    // Runs waitOnce in slices, reporting between them, until it succeeds, or until the server
    // has taken everything when untilTaken is set, or until the server took nothing for the
    // idle limit.
    WaitEnd wait(const WaitOnce &waitOnce, bool untilTaken = false);

    // What the system holds for the server, not yet acknowledged; 0 where it cannot tell.
    std::size_t unacknowledged() const;
    std::uint64_t taken() const;

private:
    using Clock = std::chrono::steady_clock;

    ByteStream &m_connection;
    std::chrono::milliseconds m_idleLimit;
    Report m_report;
    std::uint64_t m_handedBefore = 0; // what the connection had sent before the upload (TLS)
    std::uint64_t m_limit = 0;
    std::uint64_t m_reported = 0;
    Clock::time_point m_lastReport;
};
