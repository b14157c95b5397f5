#include "transfer/ftp/ftpreplyreader.h"

#include "transfer/ftp/connectionclosed.h"
#include "transfer/ftp/ftpprotocolerror.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

constexpr std::size_t codeLength = 3;
constexpr std::size_t markerLength = 4; // the code and the blank or '-' after it
constexpr char continuationMark = '-';
constexpr unsigned char lastBlankCode = 32;

bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= lastBlankCode;
}

constexpr char tab = '\t';
constexpr unsigned char deleteCode = 0x7F;

// A reply is text for a person. A NUL cuts it short wherever it is read as a C string and an
// escape or bell byte garbles what is shown, so a server sending them is broken or hostile.
// A tab is only spacing and stays.
bool holdsControlByte(const std::string &raw, const std::string &trimmed)
{
    if (raw.find('\0') != std::string::npos)
        return true;
    return std::any_of(trimmed.begin(), trimmed.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < ' ' && c != tab) || byte == deleteCode;
    });
}

bool equalsIgnoringCase(const std::string &text, const std::string &other)
{
    return std::equal(text.begin(), text.end(), other.begin(), other.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

} // namespace

FtpReplyReader::FtpReplyReader(ReadSome readSome) : m_readSome(std::move(readSome))
{}

void FtpReplyReader::reset()
{
    m_buffer.clear();
    m_start = 0;
    m_scanned = 0;
    m_peerClosed = false;
}

bool FtpReplyReader::hasCompleteLine() const
{
    return m_buffer.find('\n', m_start) != std::string::npos;
}

std::string FtpReplyReader::takeLine(std::size_t lineFeed)
{
    std::string line = m_buffer.substr(m_start, lineFeed - m_start);
    // Lines are handed out from an offset and the buffer compacted only once it is used up,
    // so a block of many short lines costs its length, not its length squared.
    m_start = lineFeed + 1;
    m_scanned = m_start;
    if (m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
        m_scanned = 0;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string FtpReplyReader::readLine()
{
    for (;;) {
        const std::size_t lineFeed = m_buffer.find('\n', m_scanned);
        if (lineFeed != std::string::npos) {
            if (lineFeed - m_start > maxLineLength)
                break;
            return takeLine(lineFeed);
        }
        if (m_buffer.size() - m_start > maxLineLength)
            break;
        if (m_peerClosed)
            throw ConnectionClosed();
        if (m_start > 0) {
            m_buffer.erase(0, m_start);
            m_start = 0;
        }
        m_scanned = m_buffer.size();
        const std::size_t oldSize = m_buffer.size();
        m_buffer.resize(oldSize + readBlockSize);
        std::size_t received = 0;
        try {
            received = m_readSome(m_buffer.data() + oldSize, readBlockSize);
        } catch (...) {
            m_buffer.resize(oldSize);
            throw;
        }
        m_buffer.resize(oldSize + received);
        if (received == 0)
            m_peerClosed = true;
    }
    m_buffer.clear();
    m_start = 0;
    m_scanned = 0;
    throw FtpProtocolError("The server sent a reply line longer than " + std::to_string(maxLineLength) + " bytes.");
}

std::string FtpReplyReader::readNonEmptyLine(std::size_t &consumed)
{
    for (;;) {
        std::string raw = readLine();
        consumed += raw.size() + 1;
        if (consumed > maxReplySize)
            throw FtpProtocolError("The server sent a reply longer than " + std::to_string(maxReplySize) + " bytes.");
        std::string line = trimmed(raw);
        if (holdsControlByte(raw, line))
            throw FtpProtocolError("The server sent a reply line holding a control character.");
        if (!line.empty())
            return line;
    }
}

FtpReply FtpReplyReader::readReply()
{
    FtpReply reply;
    std::size_t consumed = 0;
    reply.lines.push_back(readNonEmptyLine(consumed));
    const std::string &first = reply.lines.front();
    if (first.size() > codeLength && first[codeLength] == continuationMark) {
        const std::string endMarker = first.substr(0, codeLength) + ' ';
        for (;;) {
            std::string line = readNonEmptyLine(consumed);
            const bool last = line.size() < markerLength || equalsIgnoringCase(line.substr(0, markerLength), endMarker);
            reply.lines.push_back(std::move(line));
            if (last)
                break;
        }
    }
    reply.code = codeOf(reply.lastLine());
    return reply;
}

FtpReply FtpReplyReader::readListingReply(std::size_t maxSize)
{
    FtpReply reply;
    std::size_t consumed = 0;
    reply.lines.push_back(readNonEmptyLine(consumed));
    const std::string &first = reply.lines.front();
    if (first.size() > codeLength && first[codeLength] == continuationMark) {
        const std::string endMarker = first.substr(0, codeLength) + ' ';
        for (;;) {
            std::string raw = readLine();
            consumed += raw.size() + 1;
            if (consumed > maxSize)
                throw FtpProtocolError("The server sent a listing longer than " + std::to_string(maxSize) + " bytes.");
            if (raw.size() >= markerLength && equalsIgnoringCase(raw.substr(0, markerLength), endMarker)) {
                std::string last = trimmed(raw);
                if (holdsControlByte(raw, last))
                    throw FtpProtocolError("The server sent a reply line holding a control character.");
                reply.lines.push_back(std::move(last));
                break;
            }
            reply.lines.push_back(std::move(raw));
        }
    }
    reply.code = codeOf(reply.lastLine());
    return reply;
}

std::string FtpReplyReader::trimmed(const std::string &line)
{
    const auto first = std::find_if_not(line.begin(), line.end(), isBlankOrControl);
    const auto last = std::find_if_not(line.rbegin(), line.rend(), isBlankOrControl).base();
    return first < last ? std::string(first, last) : std::string();
}

int FtpReplyReader::codeOf(const std::string &line)
{
    const std::string digits = line.substr(0, codeLength);
    const bool numeric = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    return numeric ? std::stoi(digits) : 0;
}
