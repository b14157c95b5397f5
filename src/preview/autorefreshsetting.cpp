#include "preview/autorefreshsetting.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

#include <QList>

namespace {

const QByteArray kSection = QByteArrayLiteral("[Preview]");
const QByteArray kKey = QByteArrayLiteral("autoRefresh");

// One line of text; anything much longer is not a file this program wrote.
constexpr qint64 kLargestFile = 4096;

struct ModeName
{
    AutoRefreshMode mode;
    const char *name;
};

constexpr ModeName kModeNames[] = {
    {AutoRefreshMode::Manual, "manual"},
    {AutoRefreshMode::WhenIdle, "idle"},
    {AutoRefreshMode::WhenSaved, "saved"},
};

} // namespace

namespace AutoRefreshSetting {

std::optional<AutoRefreshMode> parse(const QByteArray &text)
{
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (equals < 1 || line.left(equals).trimmed() != kKey)
            continue;
        const QByteArray value = line.mid(equals + 1).trimmed();
        for (const ModeName &row : kModeNames) {
            if (value == row.name)
                return row.mode;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

QByteArray toText(AutoRefreshMode mode)
{
    for (const ModeName &row : kModeNames) {
        if (row.mode == mode)
            return kSection + '\n' + kKey + '=' + row.name + '\n';
    }
    return {};
}

AutoRefreshMode read(const QString &path)
{
    try {
        return parse(RegularFile::readAll(path, kLargestFile)).value_or(kDefault);
    } catch (const UserError &) {
        return kDefault;
    }
}

void write(const QString &path, AutoRefreshMode mode)
{
    AtomicFile::write(path, toText(mode));
}

} // namespace AutoRefreshSetting
