#include "transfer/machinelistingparser.h"

#include "transfer/permissionbits.h"
#include "transfer/remotenames.h"

namespace MachineListingParser {

namespace {

// The kinds of entry by the type fact, in lower case; links are named by the "OS.unix" types.
enum class Kind {
    File,
    Folder,
    Link,
    Other, // the folder itself, its parent, or anything the program has no use for
};

Kind kindOf(const QByteArray &type)
{
    if (type == "file")
        return Kind::File;
    if (type == "dir")
        return Kind::Folder;
    if (type.startsWith("os.unix=slink") || type.startsWith("os.unix=symlink"))
        return Kind::Link;
    return Kind::Other;
}

std::optional<int> octalNumber(const QByteArray &text)
{
    bool read = false;
    const int value = text.toInt(&read, 8);
    return read && value >= 0 && value <= 07777 ? std::optional(value) : std::nullopt;
}

} // namespace

std::optional<RemoteItem> parseLine(const QByteArray &line)
{
    // The facts end at the first blank; the name is everything after it, blanks included.
    const qsizetype blank = line.indexOf(' ');
    if (blank < 0 || blank + 1 >= line.size())
        return std::nullopt;
    std::optional<Kind> kind;
    std::optional<int> mode;
    RemoteItem item;
    for (const QByteArray &fact : line.left(blank).split(';')) {
        const qsizetype equals = fact.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray name = fact.left(equals).toLower();
        const QByteArray value = fact.mid(equals + 1);
        if (name == "type") {
            kind = kindOf(value.toLower());
        } else if (name == "size") {
            bool read = false;
            const qint64 size = value.toLongLong(&read);
            if (read && size >= 0)
                item.size = size;
        } else if (name == "modify") {
            item.date = RemoteDate::fromMachineTime(value);
        } else if (name == "unix.mode") {
            mode = octalNumber(value);
        }
    }
    if (!kind || *kind == Kind::Other)
        return std::nullopt;
    item.name = line.mid(blank + 1);
    if (item.name.contains('/'))
        return std::nullopt; // a path is no entry of the folder listed
    item.displayName = RemoteNames::decode(item.name);
    item.folder = *kind == Kind::Folder;
    const QChar letter = *kind == Kind::Folder ? u'd' : *kind == Kind::Link ? u'l' : u'-';
    item.attributes = mode ? PermissionBits::attributesOf(letter, *mode) : QString(letter);
    return item;
}

RemoteItems parse(const std::vector<std::string> &lines)
{
    RemoteItems items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string &line : lines) {
        if (std::optional<RemoteItem> item = parseLine(QByteArray::fromStdString(line)))
            items.append(std::move(*item));
    }
    return items;
}

} // namespace MachineListingParser
