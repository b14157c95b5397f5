#pragma once

#include "workspace/rtf/rtftokenizer.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextCursor>
#include <QTextFormat>

class QTextDocument;

// Reads rich text (RTF) into a QTextDocument: paragraphs, line breaks and tabs, fonts, sizes,
// colours, text background, bold, italic, underline, strike-through, first-line and left indents,
// alignment; Japanese text as \'hh byte pairs in the font's code page and as \uN. Destinations it
// has no use for (style sheets, pictures, document information, {\* ...}) are skipped.
// Malformed input never fails: unbalanced braces are tolerated, nesting beyond a fixed depth is
// skipped, and every length read from the file is bounded by the bytes that exist.
class RtfReader
{
public:
    static constexpr int kMaxGroupDepth = 256;

    // True when the bytes are rich text, as the editor decides it: they start with "{\rtf".
    static bool isRtf(const QByteArray &bytes);

    // Replaces the document's content with the rich text read from rtf.
    static void read(const QByteArray &rtf, QTextDocument &document);

private:
    enum class Destination {
        Text,
        FontTable,
        ColorTable,
        Skip,
    };

    struct CharState
    {
        int font = -1;
        int halfPoints = 24;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
        int foreground = 0; // colour table index; 0 is the automatic colour
        int background = 0;
        bool operator==(const CharState &) const = default;
    };

    struct ParagraphState
    {
        int firstIndentTwips = 0;
        int leftIndentTwips = 0;
        int rightIndentTwips = 0;
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    struct GroupState
    {
        CharState chars;
        ParagraphState paragraph;
        Destination destination = Destination::Text;
        int unicodeSkip = 1;  // \ucN: fallback characters after each \uN
        bool starred = false; // the group began with \*
    };

    struct FontEntry
    {
        QString name;
        int codepage = 0;
    };

    explicit RtfReader(QTextDocument &document);

    void run(const QByteArray &rtf);
    void openGroup();
    void closeGroup();
    void controlWord(const RtfTokenizer::Token &token);
    void controlSymbol(char symbol);
    void textBytes(const QByteArray &bytes);
    void unicodeChar(int value);
    bool characterProperty(const QByteArray &name, bool hasNumber, int number);
    bool paragraphProperty(const QByteArray &name, bool hasNumber, int number);
    bool specialCharacter(const QByteArray &name);
    void fontTableWord(const QByteArray &name, int number);
    void fontTableBytes(const QByteArray &bytes);
    void colorTableWord(const QByteArray &name, int number);
    void colorTableBytes(const QByteArray &bytes);
    bool consumesFallback();

    void appendText(const QString &text);
    void flushBytes();
    void flushRun();
    void endParagraph();
    int codepageOf(int font) const;
    QTextCharFormat charFormatOf(const CharState &state) const;
    QTextBlockFormat blockFormatOf(const ParagraphState &state) const;

    GroupState &state() { return m_stack.last(); }

    QTextDocument &m_document;
    QTextCursor m_cursor;
    QList<GroupState> m_stack;
    int m_excessDepth = 0;    // groups opened beyond kMaxGroupDepth, skipped whole
    int m_fallbackToSkip = 0; // characters still to drop after a \uN
    int m_documentCodepage = 1252;
    int m_defaultFont = -1;

    QByteArray m_pendingBytes; // text bytes not yet decoded, in the current font's code page
    int m_pendingCodepage = 0;
    QString m_run; // decoded text not yet in the document, all in m_runState
    CharState m_runState;

    QHash<int, FontEntry> m_fonts;
    int m_fontBeingDefined = -1;
    int m_fontCharsetCodepage = 0;
    QByteArray m_fontNameBytes;
    QString m_fontName;

    ParagraphState m_blockParagraph; // properties of the paragraph being read, for the last one

    QList<QColor> m_colors; // as listed; the first entry is normally the automatic colour
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colorGiven = false;
};
