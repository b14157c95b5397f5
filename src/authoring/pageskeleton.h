#pragma once

#include <QString>

// The page skeleton of ファイル → 基本形(HTML) and where the caret goes in it.
namespace PageSkeleton {

QString text();
// The start of the blank line inside the body, in the skeleton's own text positions.
int caretPosition();
// The question before the skeleton replaces text the pane already holds.
QString confirmation();

} // namespace PageSkeleton
