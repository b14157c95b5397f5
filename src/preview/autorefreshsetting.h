#pragma once

#include "preview/previewchoices.h"

#include <QByteArray>
#include <QString>

#include <optional>

// When the preview follows the editor by itself: never (反映 and F5 only), once the typing has
// paused, or each time the document is saved.
enum class AutoRefreshMode {
    Manual,
    WhenIdle,
    WhenSaved,
};

// The 自動反映 choice, one of the preview's choices (previewchoices.h). A missing or damaged
// file gives the default a new user starts with.
namespace AutoRefreshSetting {

inline const QString kFileName = PreviewChoices::kFileName;
constexpr AutoRefreshMode kDefault = AutoRefreshMode::WhenIdle;

std::optional<AutoRefreshMode> parse(const QByteArray &text);
QByteArray toText(AutoRefreshMode mode);

AutoRefreshMode read(const QString &path);
// Replaces the file atomically; throws UserError when it cannot be written.
void write(const QString &path, AutoRefreshMode mode);

} // namespace AutoRefreshSetting
