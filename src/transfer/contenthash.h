#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// The content hash a publish records for each file it sent: XXH3 (64 bits), which reads
// several gigabytes a second, so hashing a whole site to find what changed costs less than
// one round trip to the server. Not a defence against anyone: it only tells whether the user
// changed a file since the last publish.
namespace ContentHash {

std::uint64_t ofBytes(const QByteArray &bytes);
// The file at path (the file system's bytes); a link is not followed. Nothing when it cannot
// be read as a plain file.
std::optional<std::uint64_t> ofFile(const QByteArray &path);

} // namespace ContentHash
