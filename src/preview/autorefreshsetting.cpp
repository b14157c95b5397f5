#include "preview/autorefreshsetting.h"

#include "preview/previewchoices.h"

namespace {

const QByteArray kKey = QByteArrayLiteral("autoRefresh");

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

const char *nameOf(AutoRefreshMode mode)
{
    for (const ModeName &row : kModeNames) {
        if (row.mode == mode)
            return row.name;
    }
    return kModeNames[0].name;
}

} // namespace

namespace AutoRefreshSetting {

std::optional<AutoRefreshMode> parse(const QByteArray &text)
{
    const QByteArray value = PreviewChoices::value(text, kKey);
    for (const ModeName &row : kModeNames) {
        if (value == row.name)
            return row.mode;
    }
    return std::nullopt;
}

QByteArray toText(AutoRefreshMode mode)
{
    return PreviewChoices::withValue({}, kKey, nameOf(mode));
}

AutoRefreshMode read(const QString &path)
{
    return parse(PreviewChoices::read(path)).value_or(kDefault);
}

void write(const QString &path, AutoRefreshMode mode)
{
    PreviewChoices::write(path, kKey, nameOf(mode));
}

} // namespace AutoRefreshSetting
