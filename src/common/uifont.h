#pragma once

#include <QFont>

// The program's window font: "ＭＳ Ｐゴシック" 12 px, falling back to the Japanese Gothic
// fonts a Linux desktop has, so Japanese captions never render as boxes.
namespace UiFont {

QFont windowFont();
// Arial 12 px for the status bar, with metric-compatible fallbacks.
QFont statusFont();

} // namespace UiFont
