// The reader of a hostile SFTP server's answers to the requests a transfer keeps in flight: it
// takes only a well-formed answer to a request in flight, of the kind that request expects or a
// STATUS, never hands out more data than was asked for, never more names than the packet can
// hold, and fails with nothing but its own protocol error.
#include "fuzz/fuzzcheck.h"
#include "transfer/sftp/sftpreplies.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace {

using Kind = SftpReplies::Kind;

constexpr Kind kKinds[] = {Kind::Status, Kind::Data, Kind::Handle, Kind::Attributes, Kind::Names};
// A name takes at least its length, the long name's length and the attribute flags.
constexpr std::size_t kSmallestName = 12;

std::uint32_t bigEndian(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(i < bytes.size() ? bytes[i] : 0);
    return value;
}

} // namespace

// The input: the kind of the request in flight, the length it asked for (4 bytes), then the packet
// as read off the channel (its type, its id, ...). The request's id is the packet's own, so most
// inputs answer it; the id one past it stands for a request the server mixed up.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 5)
        return 0;
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const Kind kind = kKinds[static_cast<unsigned char>(input[0]) % std::size(kKinds)];
    const std::uint32_t asked = bigEndian(input.substr(1, 4));
    const std::string_view packet = input.substr(5);
    const std::uint32_t id = bigEndian(packet.substr(std::min<std::size_t>(1, packet.size())));
    const bool mixedUp = (static_cast<unsigned char>(input[0]) / std::size(kKinds)) % 2 == 1;

    SftpReplies replies;
    replies.sent(mixedUp ? id + 1 : id, kind, asked);
    try {
        const SftpReplies::Answer answer = replies.take(packet);
        FUZZ_CHECK(!mixedUp);
        FUZZ_CHECK(answer.id == id);
        FUZZ_CHECK(replies.inFlight() == 0);
        FUZZ_CHECK(answer.kind == Kind::Status || answer.kind == kind);
        FUZZ_CHECK(answer.kind == Kind::Data || answer.kind == Kind::Handle || answer.content.empty());
        FUZZ_CHECK(answer.kind != Kind::Data || answer.content.size() <= asked);
        FUZZ_CHECK(answer.kind == Kind::Names || answer.names.empty());
        FUZZ_CHECK(answer.names.size() <= packet.size() / kSmallestName);
    } catch (const SftpReplies::ProtocolError &) {
        FUZZ_CHECK(replies.inFlight() == 1); // the caller drops the connection; nothing was taken
    }
    return 0;
}
