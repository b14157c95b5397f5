// The RTF reader and writer: our own files come back as they were written, files of other
// word processors open with their Japanese text and emphasis, and malformed files neither
// crash nor hang.
#include "workspace/rtf/rtfreader.h"
#include "workspace/rtf/rtfwriter.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

namespace {

struct TextRun
{
    QString text;
    QString family;
    double points = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    QColor foreground; // invalid: automatic
    QColor background; // invalid: none
    bool operator==(const TextRun &) const = default;
};

struct Paragraph
{
    QList<TextRun> runs;
    double firstIndent = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool operator==(const Paragraph &) const = default;
};

void PrintTo(const TextRun &run, std::ostream *os)
{
    *os << run.text.toStdString() << " [" << run.family.toStdString() << " " << run.points << (run.bold ? " b" : "")
        << (run.italic ? " i" : "") << (run.underline ? " u" : "") << (run.strike ? " s" : "") << " fg "
        << run.foreground.name().toStdString() << " bg " << run.background.name().toStdString() << "]";
}

void PrintTo(const Paragraph &paragraph, std::ostream *os)
{
    *os << "indent " << paragraph.firstIndent << " align " << int(paragraph.alignment) << ":";
    for (const TextRun &run : paragraph.runs) {
        *os << " ";
        PrintTo(run, os);
    }
}

TextRun runOf(const QTextFragment &fragment)
{
    const QTextCharFormat format = fragment.charFormat();
    TextRun run;
    run.text = fragment.text();
    run.family = format.fontFamilies().toStringList().value(0);
    run.points = format.fontPointSize();
    run.bold = format.fontWeight() >= QFont::Bold;
    run.italic = format.fontItalic();
    run.underline = format.fontUnderline();
    run.strike = format.fontStrikeOut();
    if (format.foreground().style() != Qt::NoBrush)
        run.foreground = format.foreground().color();
    if (format.background().style() != Qt::NoBrush)
        run.background = format.background().color();
    return run;
}

QList<Paragraph> paragraphsOf(const QTextDocument &document)
{
    QList<Paragraph> paragraphs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        Paragraph paragraph;
        paragraph.firstIndent = block.blockFormat().textIndent();
        paragraph.alignment = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            paragraph.runs.append(runOf(it.fragment()));
        paragraphs.append(paragraph);
    }
    return paragraphs;
}

QTextCharFormat formatOf(const TextRun &run)
{
    QTextCharFormat format;
    format.setFontFamilies(QStringList{run.family});
    format.setFontPointSize(run.points);
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.italic);
    format.setFontUnderline(run.underline);
    format.setFontStrikeOut(run.strike);
    if (run.foreground.isValid())
        format.setForeground(run.foreground);
    if (run.background.isValid())
        format.setBackground(run.background);
    return format;
}

void build(QTextDocument &document, const QList<Paragraph> &paragraphs)
{
    QTextCursor cursor(&document);
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        QTextBlockFormat block;
        block.setTextIndent(paragraphs.at(i).firstIndent);
        block.setAlignment(paragraphs.at(i).alignment);
        if (i == 0)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        for (const TextRun &run : paragraphs.at(i).runs)
            cursor.insertText(run.text, formatOf(run));
    }
}

QString textOf(const QByteArray &rtf)
{
    QTextDocument document;
    RtfReader::read(rtf, document);
    return document.toRawText();
}

const QString kGothic = QStringLiteral("ＭＳ Ｐゴシック");
const QString kMincho = QStringLiteral("ＭＳ 明朝");

} // namespace

TEST(RtfRoundTrip, OwnFilesComeBackWithTextAndFormatting)
{
    const QList<Paragraph> written{
        {{{QStringLiteral("こんにちは、"), kGothic, 12, false, false, false, false, {}, {}},
          {QStringLiteral("太字"), kGothic, 12, true, false, false, false, {}, {}},
          {QStringLiteral("と斜体"), kMincho, 10.5, false, true, false, false, {}, {}}},
         16,
         Qt::AlignLeft},
        {{{QStringLiteral("下線 取消線"), QStringLiteral("Arial"), 9, false, false, true, true, {}, {}},
          {QStringLiteral("赤に黄色"), kGothic, 20, true, true, false, false, QColor(255, 0, 0), QColor(255, 255, 0)},
          {QStringLiteral("青"), kGothic, 20, false, false, false, false, QColor(0, 0, 255), {}}},
         0,
         Qt::AlignHCenter},
        {}, // an empty line survives
        {{{QStringLiteral("記号 \\ { } タブ\tと改行\x2028の後、表ソ～①ｱ"),
           kGothic,
           12,
           false,
           false,
           false,
           false,
           {},
           {}},
          {QStringLiteral("CP932 にない文字: é 𠮷 😀 読めなかったバイト\uF782p"),
           kGothic,
           12,
           false,
           true,
           false,
           false,
           {},
           {}}},
         -8,
         Qt::AlignRight},
    };
    QTextDocument source;
    build(source, written);

    QTextDocument read;
    RtfReader::read(RtfWriter::write(source), read);

    EXPECT_EQ(read.toRawText(), source.toRawText());
    EXPECT_EQ(paragraphsOf(read), written);
}

TEST(RtfRoundTrip, WrittenFileIsSevenBitJapaneseRtf)
{
    QTextDocument source;
    build(source, {{{{QStringLiteral("あ表é😀"), kGothic, 12, true, false, false, false, {}, {}}}, 0, Qt::AlignLeft}});
    const QByteArray rtf = RtfWriter::write(source);

    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg932"));
    EXPECT_TRUE(RtfReader::isRtf(rtf));
    for (char c : rtf)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\fcharset128 \\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;"));
    // Japanese as CP932 byte pairs (a second byte 0x5C included); the rest as \uN with a fallback.
    EXPECT_TRUE(rtf.contains("\\'82\\'a0\\'95\\'5c\\u233?\\u-10179?\\u-8704?")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\b"));
}

TEST(RtfRoundTrip, PlainDocumentWithoutExplicitFormatsTakesTheDefaultFont)
{
    QTextDocument source;
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(16);
    source.setDefaultFont(font);
    source.setPlainText(QStringLiteral("一行目\n二行目"));

    QTextDocument read;
    RtfReader::read(RtfWriter::write(source), read);

    EXPECT_EQ(read.toPlainText(), QStringLiteral("一行目\n二行目"));
    const QTextCharFormat format = read.begin().begin().fragment().charFormat();
    EXPECT_EQ(format.fontFamilies().toStringList().value(0), QStringLiteral("Noto Sans CJK JP"));
    EXPECT_DOUBLE_EQ(format.fontPointSize(), 12.0); // 16 pixels at 96 dpi
}

// Written the way WordPad on a Japanese system writes a short letter.
const QByteArray kWordPadSample =
    "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset128 "
    "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}{\\f1\\fnil\\fcharset0 Calibri;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
    "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\sa200\\sl276\\slmult1\\lang1041\\f0\\fs22"
    "\\'82\\'b1\\'82\\'f1\\'82\\'c9\\'82\\'bf\\'82\\'cd\\par\r\n"
    "\\b\\'91\\'be\\'8e\\'9a\\b0\\'81\\'41\\i\\'8e\\'ce\\'91\\'cc\\i0\\par\r\n"
    "\\cf1\\'95\\\\\\cf0\\lang1033\\f1  abc\\par\r\n"
    "}\r\n";

// Written the way Word writes a document: \uc2 with \uN and the byte pair as fallback, style
// sheet, document information, bookmarks, a picture with binary data, nested run groups.
const QByteArray kWordSample =
    "{\\rtf1\\adeflang1025\\ansi\\ansicpg932\\uc2\\adeff0\\deff0\\stshfdbch11\\deflang1033\\deflangfe1041\r\n"
    "{\\fonttbl{\\f0\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}"
    "{\\f11\\fbidi \\fmodern\\fcharset128\\fprq1{\\*\\panose 02020609040205080304}\\'82\\'6c\\'82\\'72 "
    "\\'96\\'be\\'92\\'a9"
    "{\\*\\falt MS Mincho};}}\r\n"
    "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n"
    "{\\stylesheet{\\ql \\li0\\ri0 \\fs21 \\snext0 Normal;}{\\*\\cs10 \\additive Default Paragraph Font;}}\r\n"
    "{\\*\\rsidtbl \\rsid1234}{\\*\\generator Microsoft Word 14.0.4760;}{\\info{\\title test}{\\author "
    "\\'8e\\'52\\'93\\'63}}\r\n"
    "\\pard\\plain \\ltrpar\\ql \\fi210\\li0\\ri0\\nowidctlpar\\wrapdefault\\rin0\\lin0\\itap0 \\rtlch\\fcs1 "
    "\\af0\\afs24 "
    "\\ltrch\\fcs0 \\fs21\\lang1033\\langfe1041\\loch\\af0\\hich\\af0\\dbch\\af11\\cgrid\r\n"
    "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\b\\f11\\fs21\\insrsid1234 \\loch\\af11\\hich\\af11\\dbch\\af11 "
    "\\u26085\\'93\\'fa\\u26412\\'96\\'7b}"
    "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\i\\f11\\cf2\\insrsid1234 \\'8c\\'ea}{\\*\\bkmkstart x}{\\*\\bkmkend x}"
    "{\\pict\\wmetafile8\\picw10\\pich10\\bin4 {}}\\}\\par }";

TEST(RtfReaderOfOtherWriters, WordPadJapaneseLetter)
{
    QTextDocument document;
    RtfReader::read(kWordPadSample, document);

    EXPECT_EQ(document.toPlainText(), QStringLiteral("こんにちは\n太字、斜体\n表 abc\n"));
    const QList<Paragraph> paragraphs = paragraphsOf(document);
    ASSERT_EQ(paragraphs.size(), 4);
    const TextRun greeting = paragraphs.at(0).runs.at(0);
    EXPECT_EQ(greeting.family, kGothic);
    EXPECT_DOUBLE_EQ(greeting.points, 11.0);
    ASSERT_EQ(paragraphs.at(1).runs.size(), 3);
    EXPECT_TRUE(paragraphs.at(1).runs.at(0).bold);
    EXPECT_FALSE(paragraphs.at(1).runs.at(1).bold);
    EXPECT_TRUE(paragraphs.at(1).runs.at(2).italic);
    EXPECT_EQ(paragraphs.at(2).runs.at(0).text, QStringLiteral("表"));
    EXPECT_EQ(paragraphs.at(2).runs.at(0).foreground, QColor(255, 0, 0));
    EXPECT_EQ(paragraphs.at(2).runs.at(1).family, QStringLiteral("Calibri"));
}

TEST(RtfReaderOfOtherWriters, WordDocumentWithUnicodeAndSkippedDestinations)
{
    QTextDocument document;
    RtfReader::read(kWordSample, document);

    EXPECT_EQ(document.toPlainText(), QStringLiteral("日本語\n"));
    const QList<Paragraph> paragraphs = paragraphsOf(document);
    ASSERT_GE(paragraphs.size(), 1);
    ASSERT_EQ(paragraphs.at(0).runs.size(), 2);
    EXPECT_EQ(paragraphs.at(0).runs.at(0).text, QStringLiteral("日本"));
    EXPECT_TRUE(paragraphs.at(0).runs.at(0).bold);
    EXPECT_FALSE(paragraphs.at(0).runs.at(0).italic);
    EXPECT_EQ(paragraphs.at(0).runs.at(0).family, kMincho);
    EXPECT_DOUBLE_EQ(paragraphs.at(0).runs.at(0).points, 10.5);
    EXPECT_TRUE(paragraphs.at(0).runs.at(1).italic);
    EXPECT_FALSE(paragraphs.at(0).runs.at(1).bold);
    EXPECT_EQ(paragraphs.at(0).runs.at(1).foreground, QColor(255, 0, 0));
    EXPECT_DOUBLE_EQ(paragraphs.at(0).firstIndent, 14.0); // 210 twips
}

TEST(RtfReaderText, EscapesAndCodePages)
{
    const struct
    {
        const char *rtf;
        QString text;
    } cases[] = {
        {"{\\rtf1\\ansi \\'93quoted\\'94 caf\\'e9}", QStringLiteral("“quoted” café")},
        {"{\\rtf1\\ansi\\ansicpg932 \\'95\\\\\\'83\\\\}", QStringLiteral("表ソ")},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset134 SimSun;}}\\f0 \\'d6\\'d0\\'ce\\'c4}", QStringLiteral("中文")},
        {"{\\rtf1 a\\tab b\\line c\\~d\\emdash e\\{f\\}g\\\\}",
         QStringLiteral("a\tb\x2028"
                        "c\u00A0d\u2014e{f}g\\")},
        {"{\\rtf1\\uc1\\u12354?\\u-10179?\\u-8704? x}", QStringLiteral("あ😀 x")},
        {"{\\rtf1\\ansicpg932\\uc0\\u12354\\'82\\'a0}", QStringLiteral("ああ")},
        {"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}} after}", QStringLiteral("link after")},
        {"{\\rtf1 before{\\*\\unknowndest hidden {nested}}after}", QStringLiteral("beforeafter")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(textOf(c.rtf), c.text) << c.rtf;
}

TEST(RtfReaderRobustness, MalformedInputNeitherCrashesNorHangs)
{
    const QByteArray deep = "{\\rtf1 " + QByteArray(200000, '{') + "deep" + QByteArray(200000, '}') + " end}";
    const QByteArray manyBrokenEscapes = "{\\rtf1 " + QByteArray(100000, '\\').replace("\\", "\\'") + "}";
    const QByteArray longWord = "{\\rtf1 \\" + QByteArray(100000, 'a') + " text}";
    // Zero bytes inside the text: the length comes from the array, not from a terminator.
    static const char kWithZeroBytes[] = "{\\rtf1 \0\0\x01\xff\xfe nul";
    const QByteArray zeroBytes(kWithZeroBytes, sizeof kWithZeroBytes - 1);
    const struct
    {
        QByteArray rtf;
        QString expectedText; // null: anything, as long as reading ends
    } cases[] = {
        {"{\\rtf1 unclosed {group \\b bold", QStringLiteral("unclosed group bold")},
        {"{\\rtf1 closed}}}}} after", QStringLiteral("closed after")},
        {"}}}{\\rtf1 x", QStringLiteral("x")},
        {"{\\rtf1 cut\\'8", QStringLiteral("cut")},
        {"{\\rtf1 cut\\'", QStringLiteral("cut")},
        {"{\\rtf1 cut\\", QStringLiteral("cut")},
        {"{\\rtf1 bad\\'zzhex}", QStringLiteral("badzzhex")},
        {"{\\rtf1 lead byte only\\'82}", QString()},
        {"{\\rtf1 {\\pict\\bin999999999999 short}} after}", QString()},
        {"{\\rtf1 \\bin-5 x}", QStringLiteral("x")},
        {"{\\rtf1 \\u99999999999? \\u-99999999? \\uc99999 \\u65 tail}", QString()},
        {"{\\rtf1 \\fs99999999999 \\fi-99999999999 \\cf99999 \\highlight-3 \\f-1 big}", QStringLiteral("big")},
        {"{\\rtf1{\\fonttbl{\\f0 no semicolon}}{\\colortbl\\red300\\green-1;;;}\\f0\\cf3 t}", QStringLiteral("t")},
        {deep, QString()},
        {manyBrokenEscapes, QString()},
        {longWord, QStringLiteral("text")},
        {zeroBytes, QString()},
    };
    for (const auto &c : cases) {
        QTextDocument document;
        RtfReader::read(c.rtf, document);
        if (!c.expectedText.isNull()) {
            EXPECT_EQ(document.toPlainText(), c.expectedText) << c.rtf.left(80).constData();
        }
    }
    QTextDocument deepDocument;
    RtfReader::read(deep, deepDocument);
    EXPECT_TRUE(deepDocument.toPlainText().endsWith(QStringLiteral(" end")));
}

TEST(RtfReaderDetection, OnlyFilesStartingWithTheRtfSignature)
{
    EXPECT_TRUE(RtfReader::isRtf("{\\rtf1\\ansi x}"));
    EXPECT_TRUE(RtfReader::isRtf("{\\rtf"));
    EXPECT_FALSE(RtfReader::isRtf(" {\\rtf1 x}"));
    EXPECT_FALSE(RtfReader::isRtf("{\\RTF1 x}"));
    EXPECT_FALSE(RtfReader::isRtf("<html>{\\rtf1}</html>"));
    EXPECT_FALSE(RtfReader::isRtf(""));
}
