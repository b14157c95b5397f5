// The pure conversions between the pane's text and document text: every kind of break, text
// at both ends, characters of two UTF-16 units, and positions on either side of a break.
#include "workspace/panetext.h"

#include <gtest/gtest.h>

namespace {

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");
const QChar kParagraph(0x2029);
const QChar kLine(0x2028);

TEST(PaneText, LineEndsConvertBothWays)
{
    struct Case
    {
        QString document;
        QString pane;      // what the document becomes in the pane
        QString backAgain; // and what reading the pane gives
    };
    const Case cases[] = {
        {QString(), QString(), QString()},
        {q("a\r\nb"), q("a\nb"), q("a\r\nb")},
        {q("a\rb\nc"), q("a\nb\nc"), q("a\r\nb\r\nc")},
        {q("\r\n\r\n"), q("\n\n"), q("\r\n\r\n")},
        {q("\n\r"), q("\n\n"), q("\r\n\r\n")},
        {q("end\r"), q("end\n"), q("end\r\n")},
        {q("一") + kEmoji + q("\r\n全"), q("一") + kEmoji + q("\n全"), q("一") + kEmoji + q("\r\n全")},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PaneText::fromDocument(c.document), c.pane) << c.document.toStdString();
        EXPECT_EQ(PaneText::toDocument(c.pane), c.backAgain) << c.document.toStdString();
    }
}

TEST(PaneText, EveryPaneBreakReadsAsCrLf)
{
    const QString pane = q("a") + kParagraph + q("b") + kLine + q("c\nd");
    EXPECT_EQ(PaneText::toDocument(pane), q("a\r\nb\r\nc\r\nd"));
}

TEST(PaneText, PositionsMapAcrossBreaks)
{
    // Document "ab\r\n😀\r\nz": a0 b1 CR2 LF3 😀4-5 CR6 LF7 z8; the pane has one unit per break.
    const QString document = q("ab\r\n") + kEmoji + q("\r\nz");
    const QString pane = PaneText::fromDocument(document);
    struct Case
    {
        int pane;
        int document;
    };
    const Case cases[] = {{0, 0}, {2, 2}, {3, 4}, {5, 6}, {6, 8}, {7, 9}};
    for (const Case &c : cases) {
        EXPECT_EQ(PaneText::toDocumentPosition(pane, c.pane), c.document) << c.pane;
        EXPECT_EQ(PaneText::toPanePosition(document, c.document), c.pane) << c.document;
    }
    // Between CR and LF lands after the break, at the start of the next line, never inside it.
    EXPECT_EQ(PaneText::toPanePosition(document, 3), 3);
    EXPECT_EQ(PaneText::toPanePosition(document, 7), 6);
}

TEST(PaneText, PositionsPastTheEndCountOnlyTheBreaksThere)
{
    const QString document = q("a\r\nb");
    EXPECT_EQ(PaneText::toPanePosition(document, 10), 3);
    EXPECT_EQ(PaneText::toDocumentPosition(q("a\nb"), 10), 11);
    EXPECT_EQ(PaneText::toPanePosition(QString(), 0), 0);
}

} // namespace
