#include "common/charsetdeclaration.h"

#include <gtest/gtest.h>

namespace {

using CharsetDeclaration::Declared;

TEST(CharsetDeclaration, FindsTheFirstDeclarationInTheFirst1024Bytes)
{
    const struct
    {
        QByteArray page;
        std::optional<Declared> expected;
    } cases[] = {
        {"<html><head><meta charset=\"Shift_JIS\">", Declared::ShiftJis},
        {"<META CHARSET='SHIFT-JIS'>", Declared::ShiftJis},
        {"<meta charset=x-sjis>", Declared::ShiftJis},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-31j\">", Declared::ShiftJis},
        {"<meta http-equiv=Content-Type content=\"text/html;charset = CP932\">", Declared::ShiftJis},
        {"<meta charset=\"utf-8\">", Declared::Utf8},
        {"<meta charset=UTF8>", Declared::Utf8},
        {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", Declared::ShiftJis},
        {"<?xml version='1.0' encoding='utf-8'?><html>", Declared::Utf8},
        {"<meta charset=\"EUC-JP\">", Declared::Other},
        // The first one counts.
        {"<meta charset=utf-8><meta charset=shift_jis>", Declared::Utf8},
        // Attributes and text that merely mention the word are no declaration.
        {"<meta name=\"charset\" content=\"x\"><p>charset=utf-8</p>", std::nullopt},
        {"<html><body>no declaration</body></html>", std::nullopt},
        {QByteArray(1024, ' ') + "<meta charset=utf-8>", std::nullopt},
        {"", std::nullopt},
        {"<meta charset=", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CharsetDeclaration::find(c.page), c.expected) << c.page.left(80).constData();
}

} // namespace
