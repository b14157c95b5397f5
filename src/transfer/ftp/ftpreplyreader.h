#pragma once

#include "transfer/ftp/ftpreply.h"

#include <cstddef>
#include <functional>
#include <string>

// Splits the bytes of the control connection into lines and lines into replies.
// It owns the line buffer; where the bytes come from is the client's business, given as a
// function that reads at most the given number of bytes and returns 0 once the peer closed.
class FtpReplyReader
{
public:
    using ReadSome = std::function<std::size_t(char *buffer, std::size_t capacity)>;

    static constexpr std::size_t readBlockSize = 32768;
    // Real replies are short; a longer line is a server gone wrong (or hostile) and would
    // otherwise grow the buffer until memory runs out.
    static constexpr std::size_t maxLineLength = 65536;
    // Bounds a reply that never ends for the same reason, blank lines before and inside it
    // included: a server flooding empty lines is stopped as soon as one sending text is.
    static constexpr std::size_t maxReplySize = 1024 * 1024;

    explicit FtpReplyReader(ReadSome readSome);

    // Forgets buffered bytes and the closed flag, for a new connection.
    void reset();

    bool peerClosed() const { return m_peerClosed; }
    // True when a whole line is already buffered, so reading it needs no wait.
    bool hasCompleteLine() const;
    // True when bytes past the replies read so far are buffered.
    bool hasBufferedBytes() const { return m_buffer.size() > m_start; }

    // One line without its LF and without one CR right before it.
    // Throws ConnectionClosed when the peer closed before a whole line arrived.
    std::string readLine();
    // Throws FtpProtocolError for a line holding a NUL or, inside it, a control byte other
    // than a tab.
    FtpReply readReply();
    // A reply that carries a listing between its first and last line (STAT of a folder): those
    // lines are kept as they came, blanks and control bytes included, as a data connection
    // would carry them; the reply ends only at a line starting with its code and a blank, within
    // maxSize bytes.
    FtpReply readListingReply(std::size_t maxSize);

    // Drops leading and trailing bytes with codes 0 to 32.
    static std::string trimmed(const std::string &line);
    // The integer value of the first three characters, or 0 when they are not a number.
    static int codeOf(const std::string &line);

private:
    // Adds the bytes it consumed, line ends included, to consumed.
    std::string readNonEmptyLine(std::size_t &consumed);
    std::string takeLine(std::size_t lineFeed);

    ReadSome m_readSome;
    std::string m_buffer;
    std::size_t m_start = 0;   // bytes of m_buffer already handed out as lines
    std::size_t m_scanned = 0; // position in m_buffer up to which there is no LF
    bool m_peerClosed = false;
};
