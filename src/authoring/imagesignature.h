#pragma once

#include <QByteArray>
#include <QSize>

#include <optional>

// The picture formats a page can show everywhere, told by a file's own first bytes, never by its
// name: a page saved as .png is still a page. An SVG is XML whose first element is <svg>, so an
// XHTML page that starts like XML is not taken for one.
namespace ImageSignature {

enum class Format {
    Png,
    Jpeg,
    Gif,
    WebP,
    Svg,
};

// How much of a file's start the test needs: the XML prologue, comments and document type an
// SVG may start with included.
constexpr qsizetype kBytesNeeded = 64 * 1024;

// The format the bytes start like; nullopt for anything else.
std::optional<Format> of(const QByteArray &start);

// The size an SVG states on its root element, in pixels: width and height both given, as plain
// numbers or in px. nullopt for any other drawing (no size, a percentage, another unit): its tag
// then states none and the browser sizes it as it does any such drawing.
std::optional<QSize> svgSize(const QByteArray &start);

// The format's name as Qt's image reader knows it.
QByteArray readerFormat(Format format);

} // namespace ImageSignature
