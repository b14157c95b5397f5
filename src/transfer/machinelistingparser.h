#pragma once

#include "transfer/remoteitem.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

// Turns the lines of an MLSD answer (RFC 3659: "type=file;size=12;modify=20261209101500; name")
// into remote items: the name as the bytes after the facts, the exact time in UTC, the size, and
// an attribute text made from unix.mode where the server gives it (only the kind letter where
// not), so that modes read the same as from a Unix listing. The entries for the folder itself
// and its parent are left out, and so is any line without a name or a type.
namespace MachineListingParser {

std::optional<RemoteItem> parseLine(const QByteArray &line);
RemoteItems parse(const std::vector<std::string> &lines);

} // namespace MachineListingParser
