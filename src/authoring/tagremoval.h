#pragma once

#include <QString>

// 編集 → タグ消去: the selection without its HTML tags.
namespace TagRemoval {

// Drops every "<" … ">" (the first ">" after the "<"); everything outside tags stays exactly as
// it was, line ends, entities and a ">" before any "<" included. A "<" that no ">" follows is
// not a tag: it and the rest of the text are kept unchanged.
QString removeTags(const QString &text);

} // namespace TagRemoval
