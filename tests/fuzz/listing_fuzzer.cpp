// The LIST answer parser over any bytes a server may send: it never throws, the whole listing
// gives only items of its lines, in their order, and every item it makes is a name its line holds.
#include "fuzz/fuzzcheck.h"
#include "transfer/remotelistingparser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The listing split into lines as the client splits the data connection's bytes.
std::vector<std::string> linesOf(const std::string &listing)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < listing.size()) {
        std::size_t end = listing.find('\n', start);
        if (end == std::string::npos)
            end = listing.size();
        std::string line = listing.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

void checkItem(const RemoteItem &item, const std::string &line)
{
    FUZZ_CHECK(!item.name.isEmpty());
    FUZZ_CHECK(!item.displayName.isEmpty());
    // The name is the end of the line (a link's up to its arrow), never made up.
    FUZZ_CHECK(line.find(item.name.toStdString()) != std::string::npos);
    FUZZ_CHECK(item.size >= 0);
    FUZZ_CHECK(!item.folder || item.attributes.startsWith(QLatin1Char('d'))
               || item.attributes == QLatin1String("<DIR>"));
    FUZZ_CHECK(item.linkTarget.isEmpty() || item.attributes.startsWith(QLatin1Char('l')));
    FUZZ_CHECK(!RemoteListingParser::sizeText(item.size).trimmed().isEmpty());
}

bool sameItem(const RemoteItem &a, const RemoteItem &b)
{
    return a.name == b.name && a.size == b.size && a.folder == b.folder && a.attributes == b.attributes
        && a.linkTarget == b.linkTarget;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::vector<std::string> lines = linesOf(std::string(reinterpret_cast<const char *>(data), size));
    const auto items = RemoteListingParser::parse(lines);

    // The listing's items are those of its lines, in their order (the whole listing may pass
    // over a line its own rules refuse, never add one).
    std::size_t found = 0;
    for (const std::string &line : lines) {
        const auto item = RemoteListingParser::parseLine(QByteArray::fromStdString(line));
        if (!item)
            continue;
        checkItem(*item, line);
        if (found < std::size_t(items.size()) && sameItem(items[found], *item))
            ++found;
    }
    FUZZ_CHECK(found == std::size_t(items.size()));
    return 0;
}
