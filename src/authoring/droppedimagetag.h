#pragma once

#include <QSize>
#include <QString>

// The tag a picture dropped on the page becomes: its address as written from the page's folder,
// its size in pixels (so the page keeps its layout while the picture loads) and an empty
// alternative text, which the page check asks for and the caret is left in for the user to fill.
namespace DroppedImageTag {

struct Tag
{
    QString text;
    qsizetype altPosition = 0; // index in text between the alt attribute's quotes
};

// relativePath: the file as 挿入 > ファイル名 writes it ("/" separators). size: left out when
// invalid (a drawing that states none).
Tag build(const QString &relativePath, const QSize &size);

// The path as an attribute value: the few characters that would end the value or change what the
// address means (a space, "%", "#", "?", quotes, "<", ">") are percent-encoded and "&" becomes
// "&amp;"; letters of any script stay as they are, as the page shows them.
QString address(const QString &relativePath);

} // namespace DroppedImageTag
