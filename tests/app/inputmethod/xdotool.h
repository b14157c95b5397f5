#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

// The keyboard and the screen as the X server sees them, through xdotool: keys pressed as a
// user presses them, so they pass through the input method like typed ones, and the input
// method's own windows found where it opened them.
namespace XdoTool {

// Types ASCII text key by key; false when xdotool failed.
bool type(const QString &text);
// Presses and releases keys by their X names ("space", "Return", "BackSpace").
bool keys(const QStringList &names);
// The screen rectangle of the input method's candidate window while it shows; none otherwise.
std::optional<QRect> candidateWindow();

} // namespace XdoTool
