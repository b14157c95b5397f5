// The colour notations of the colour dialog and the reading of the editor's colour numbers.
#include "authoring/colorchoice.h"

#include "common/usererror.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorNotations, ThreeNotationsOfOneColour)
{
    struct Case
    {
        RgbColor color;
        const char *rgb;
        const char *dollar;
        const char *hash;
    };
    const Case cases[] = {
        {{255, 128, 0}, "RGB(255,128,0)", "$0080FF", "#FF8000"},
        {{0, 0, 255}, "RGB(0,0,255)", "$FF0000", "#0000FF"},
        {{0, 0, 0}, "RGB(0,0,0)", "$000000", "#000000"},
        {{10, 171, 1}, "RGB(10,171,1)", "$01AB0A", "#0AAB01"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(colorText(c.color, ColorNotation::Rgb), QString::fromLatin1(c.rgb));
        EXPECT_EQ(colorText(c.color, ColorNotation::Dollar), QString::fromLatin1(c.dollar));
        EXPECT_EQ(colorText(c.color, ColorNotation::Hash), QString::fromLatin1(c.hash));
        // The editor's colour setting reads back what the "$" notation wrote.
        EXPECT_EQ(colorFromNumberText(colorText(c.color, ColorNotation::Dollar)), c.color);
    }
}

TEST(ColorNumbers, OtherNotationsAreNotNumbers)
{
    for (const char *text : {"RGB(1,2,3)", "#FF0000", "", "$", "$GG0000", "$-1", "12x"}) {
        try {
            colorFromNumberText(QString::fromLatin1(text));
            ADD_FAILURE() << text;
        } catch (const UserError &e) {
            EXPECT_EQ(e.text(), QStringLiteral("'%1' は整数値ではありません").arg(QString::fromLatin1(text)));
        }
    }
    EXPECT_EQ(colorFromNumberText(QStringLiteral("255")), (RgbColor{255, 0, 0}));
}

TEST(ColorPresets, PresetsChangeOnlyWhatTheyName)
{
    ColorChoice choice;
    choice.useColor = true;
    choice.useSize = true;
    applyPreset(choice, ColorPresets::editorBackground);
    EXPECT_TRUE(choice.useColor);
    EXPECT_TRUE(choice.useSize);
    EXPECT_EQ(choice.notation, ColorNotation::Dollar);
    applyPreset(choice, ColorPresets::baseFontSize);
    EXPECT_FALSE(choice.useColor);
    EXPECT_TRUE(choice.useSize);
    applyPreset(choice, ColorPresets::fontTag);
    EXPECT_FALSE(canAccept(choice));
}

// The "$" form is the editor's own colour number; HTML commands must not inherit it from the
// editor's background colour, but keep whatever the user chose in their own dialogs.
TEST(ColorPresets, HtmlCommandsGetTheNotationLastUsedForHtml)
{
    const struct
    {
        const char *name;
        ColorNotation chosenForHtml; // what the user left an HTML command's dialog in
        ColorNotation afterEditor;   // what the next HTML command shows after the editor's colour
    } cases[] = {
        {"default", ColorNotation::Hash, ColorNotation::Hash},
        {"RGB chosen", ColorNotation::Rgb, ColorNotation::Rgb},
        {"dollar chosen on purpose", ColorNotation::Dollar, ColorNotation::Dollar},
    };
    const ColorSizePreset htmlPresets[] = {ColorPresets::fontTag, ColorPresets::baseFontSize, ColorPresets::colorOnly};
    for (const auto &c : cases) {
        for (const ColorSizePreset &html : htmlPresets) {
            ColorChoice choice;
            applyPreset(choice, html);
            choice.notation = c.chosenForHtml; // the user's click
            rememberNotation(choice, html);

            applyPreset(choice, ColorPresets::editorBackground);
            EXPECT_EQ(choice.notation, ColorNotation::Dollar) << c.name;
            choice.notation = ColorNotation::Rgb; // clicked in the editor's dialog: not for HTML
            rememberNotation(choice, ColorPresets::editorBackground);

            applyPreset(choice, html);
            EXPECT_EQ(choice.notation, c.afterEditor) << c.name;
        }
    }
}

} // namespace
