// Which files are text the editor may open: files of other kinds (with NUL bytes near the start,
// or unreadable in every encoding the program reads) are refused, text with the odd damaged
// byte opens but is marked so that writing over it asks first.
#include "common/textcontent.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Bytes without a NUL, as a file of another kind may start: no encoding reads them.
QByteArray noiseWithoutNul(qsizetype size)
{
    QRandomGenerator random(7);
    QByteArray bytes(size, '\1');
    for (char &c : bytes)
        c = char(1 + random.bounded(255));
    return bytes;
}

// A PDF as writers make them: a text header, then compressed streams.
QByteArray pdf()
{
    return "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Length 60 /Filter /FlateDecode >>\nstream\n"
        + qCompress(QByteArray("BT /F1 12 Tf 72 712 Td (Hello) Tj ET ").repeated(20)) + "\nendstream\nendobj\n";
}

// A ZIP (and so a .docx or .xlsx) starts with a local file header of little-endian numbers.
QByteArray zip()
{
    return QByteArray("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10) + "word/document.xml" + qCompress("<w:document/>");
}

} // namespace

TEST(TextContent, TellsTextFromOtherFiles)
{
    using Reading = TextContent::Reading;
    const struct
    {
        const char *name;
        QByteArray bytes;
        std::optional<Reading> reading; // nullopt: refused by its start already
    } cases[] = {
        {"Pdf", pdf(), std::nullopt},
        {"Zip", zip(), std::nullopt},
        {"OfficeCompoundFile", QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1\x00\x00", 10), std::nullopt},
        {"NulFarIntoTheFile", QByteArray(TextContent::kSniffedBytes, 'a') + '\0', Reading::Clean},
        {"NoiseWithoutNul", noiseWithoutNul(4096), Reading::NotText},
        {"ShiftJis", "<p>\x93\xfa\x96\x7b</p>\r\n", Reading::Clean},
        {"Utf8", "<p>\xe6\x97\xa5</p>\n", Reading::Clean},
        {"ShiftJisCutInACharacter", "<p>\x93\xfa</p>\r\n\x96", Reading::SomeUnreadable},
        {"ShortPageWithAFewStrayBytes", "<p>\x80\xa0\xfd</p>", Reading::SomeUnreadable},
        {"Utf8MarkThenBrokenBytes", "\xef\xbb\xbf<p>\xe6\x97</p>", Reading::SomeUnreadable},
        {"Utf8MarkAlone", "\xef\xbb\xbf", Reading::Clean},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(TextContent::startsLikeBinary(c.bytes), !c.reading.has_value()) << c.name;
        if (c.reading) {
            EXPECT_EQ(TextContent::reading(c.bytes, TextCodec::decode(c.bytes)), *c.reading) << c.name;
        }
    }
}
