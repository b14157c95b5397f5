#pragma once

#include <QString>

#include <optional>

// A colour as its three components, each 0 to 255.
struct RgbColor
{
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const RgbColor &, const RgbColor &) = default;
};

// The three ways the colour dialog can write a colour.
enum class ColorNotation {
    Rgb,    // RGB(255,128,0)
    Dollar, // $0080FF: blue, green, red, as the editor's own colour numbers are written
    Hash,   // #FF8000: red, green, blue, as HTML writes them
};

// What the colour and size dialog edits: the two check boxes, the size text, the colour, the
// notation and the result text. The dialog is a view over this; everything here is plain data
// so the commands that read it can be tested without a window.
struct ColorChoice
{
    bool useColor = false;
    bool useSize = false;
    QString sizeText = QStringLiteral("4");
    RgbColor color;
    ColorNotation notation = ColorNotation::Hash;
    QString colorText; // the result; empty until accepted, emptied by a cancel
    // The notation the dialog was last left in by a command that writes HTML. The editor's own
    // background colour switches the dialog to "$", which a browser does not read; the next HTML
    // command goes back to this one.
    ColorNotation htmlNotation = ColorNotation::Hash;
};

// What a calling command sets before it shows the dialog; everything else stays as the user
// left it.
struct ColorSizePreset
{
    std::optional<bool> useColor;
    std::optional<bool> useSize;
    std::optional<ColorNotation> notation;
    bool writesHtml = true; // the result goes into the page, so it must be a notation HTML reads
};

namespace ColorPresets {
inline constexpr ColorSizePreset fontTag{false, false, std::nullopt, true};
inline constexpr ColorSizePreset baseFontSize{false, true, std::nullopt, true};
inline constexpr ColorSizePreset colorOnly{true, false, std::nullopt, true};
inline constexpr ColorSizePreset editorBackground{std::nullopt, std::nullopt, ColorNotation::Dollar, false};
} // namespace ColorPresets

// The colour written in one notation: two upper-case hexadecimal digits per component.
QString colorText(RgbColor color, ColorNotation notation);

// Before a showing: the preset's boxes and notation; a command writing HTML without a notation of
// its own gets the one last used for HTML.
void applyPreset(ColorChoice &choice, const ColorSizePreset &preset);
// After a showing, however it ended: a notation left by a command writing HTML is the user's
// choice for HTML from now on.
void rememberNotation(ColorChoice &choice, const ColorSizePreset &preset);

// The dialog accepts only when it is asked for a colour or a size.
bool canAccept(const ColorChoice &choice);

// Reads a colour number as the editor's colour setting writes it ("$" then blue, green, red in
// hexadecimal; a plain decimal number is read too). Any other text, such as the RGB( or # form,
// is not a number: throws UserError with the conversion failure.
RgbColor colorFromNumberText(const QString &text);
