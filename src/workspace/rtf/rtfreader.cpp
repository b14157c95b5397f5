#include "workspace/rtf/rtfreader.h"

#include "workspace/rtf/rtfcodepage.h"

#include <QTextDocument>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace {

constexpr double kTwipsPerPixel = 15.0; // 1440 twips per inch at 96 pixels per inch
constexpr int kMaxHalfPoints = 3276;
constexpr int kMaxTwips = 31680; // 22 inches, the largest indent word processors allow
constexpr int kMaxColorComponent = 255;

// Destinations whose content is not text of the document.
constexpr const char *kSkippedDestinations[] = {
    "stylesheet",
    "info",
    "pict",
    "object",
    "header",
    "headerl",
    "headerr",
    "headerf",
    "footer",
    "footerl",
    "footerr",
    "footerf",
    "footnote",
    "annotation",
    "listtable",
    "listoverridetable",
    "revtbl",
    "rsidtbl",
    "filetbl",
    "generator",
    "xmlnstbl",
    "themedata",
    "colorschememapping",
    "latentstyles",
    "datastore",
    "fldinst",
    "shp",
    "shpinst",
    "nonshppict",
    "shppict",
    "pgdsctbl",
    "template",
    "userprops",
    "docvar",
    "atnauthor",
    "atnid",
    "xe",
    "tc",
};

bool isSkippedDestination(const QByteArray &name)
{
    return std::any_of(std::begin(kSkippedDestinations), std::end(kSkippedDestinations), [&](const char *skipped) {
        return name == skipped;
    });
}

struct SpecialCharacter
{
    const char *word;
    char16_t character;
};

constexpr std::array kSpecialCharacters{
    SpecialCharacter{"tab", u'\t'},
    SpecialCharacter{"cell", u'\t'},
    SpecialCharacter{"line", 0x2028},
    SpecialCharacter{"emdash", 0x2014},
    SpecialCharacter{"endash", 0x2013},
    SpecialCharacter{"emspace", 0x2003},
    SpecialCharacter{"enspace", 0x2002},
    SpecialCharacter{"qmspace", 0x2005},
    SpecialCharacter{"bullet", 0x2022},
    SpecialCharacter{"lquote", 0x2018},
    SpecialCharacter{"rquote", 0x2019},
    SpecialCharacter{"ldblquote", 0x201C},
    SpecialCharacter{"rdblquote", 0x201D},
};

} // namespace

bool RtfReader::isRtf(const QByteArray &bytes)
{
    return bytes.startsWith("{\\rtf");
}

void RtfReader::read(const QByteArray &rtf, QTextDocument &document)
{
    RtfReader reader(document);
    reader.run(rtf);
}

RtfReader::RtfReader(QTextDocument &document) : m_document(document), m_cursor(&document)
{}

void RtfReader::run(const QByteArray &rtf)
{
    const bool undo = m_document.isUndoRedoEnabled();
    m_document.setUndoRedoEnabled(false);
    m_document.clear();
    m_cursor = QTextCursor(&m_document);
    m_cursor.beginEditBlock();
    m_stack.append(GroupState{});
    RtfTokenizer tokenizer(rtf);
    for (auto token = tokenizer.next(); token.kind != RtfTokenizer::Kind::End; token = tokenizer.next()) {
        switch (token.kind) {
        case RtfTokenizer::Kind::GroupStart:
            openGroup();
            break;
        case RtfTokenizer::Kind::GroupEnd:
            closeGroup();
            break;
        case RtfTokenizer::Kind::ControlWord:
            if (!consumesFallback())
                controlWord(token);
            break;
        case RtfTokenizer::Kind::ControlSymbol:
            if (!consumesFallback())
                controlSymbol(token.symbol);
            break;
        case RtfTokenizer::Kind::HexByte:
            if (!consumesFallback())
                textBytes(QByteArray(1, char(token.byte)));
            break;
        case RtfTokenizer::Kind::Text:
            if (m_fallbackToSkip > 0) {
                const qsizetype dropped = qMin<qsizetype>(m_fallbackToSkip, token.bytes.size());
                m_fallbackToSkip -= int(dropped);
                token.bytes.remove(0, dropped);
            }
            textBytes(token.bytes);
            break;
        case RtfTokenizer::Kind::Binary:
            consumesFallback();
            break;
        case RtfTokenizer::Kind::End:
            break;
        }
    }
    flushRun();
    // The last paragraph has no \par: it keeps the properties it had where its text was set,
    // not those outside the document's group.
    m_cursor.setBlockFormat(blockFormatOf(m_blockParagraph));
    m_cursor.endEditBlock();
    m_document.setUndoRedoEnabled(undo);
}

bool RtfReader::consumesFallback()
{
    if (m_fallbackToSkip <= 0)
        return false;
    --m_fallbackToSkip;
    return true;
}

void RtfReader::openGroup()
{
    m_fallbackToSkip = 0;
    if (m_excessDepth > 0 || m_stack.size() >= kMaxGroupDepth) {
        ++m_excessDepth;
        return;
    }
    flushBytes();
    GroupState inner = state();
    inner.starred = false;
    m_stack.append(inner);
}

void RtfReader::closeGroup()
{
    m_fallbackToSkip = 0;
    if (m_excessDepth > 0) {
        --m_excessDepth;
        return;
    }
    if (m_stack.size() <= 1)
        return; // a closing brace too many
    flushBytes();
    const Destination closing = state().destination;
    if (closing == Destination::FontTable && m_fontBeingDefined >= 0 && !m_fontNameBytes.isEmpty())
        fontTableBytes(";"); // a font entry whose ";" is missing
    m_stack.removeLast();
    if (closing == Destination::FontTable && state().destination != Destination::FontTable)
        m_fontBeingDefined = -1;
}

void RtfReader::controlSymbol(char symbol)
{
    if (m_excessDepth > 0)
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        textBytes(QByteArray(1, symbol));
        break;
    case '~':
        flushBytes();
        appendText(QString(QChar(0x00A0)));
        break;
    case '_':
        flushBytes();
        appendText(QString(QChar(0x2011)));
        break;
    case '*':
        state().starred = true;
        break;
    default:
        break; // \- optional hyphen, \: index entries and the like show nothing
    }
}

void RtfReader::controlWord(const RtfTokenizer::Token &token)
{
    if (m_excessDepth > 0)
        return;
    GroupState &group = state();
    const QByteArray &name = token.name;
    if (group.destination == Destination::Skip)
        return;
    if (group.starred || isSkippedDestination(name)) {
        flushBytes();
        group.destination = Destination::Skip;
        return;
    }
    if (name == "fonttbl") {
        group.destination = Destination::FontTable;
        return;
    }
    if (name == "colortbl") {
        group.destination = Destination::ColorTable;
        return;
    }
    if (name == "u") {
        unicodeChar(token.number);
        return;
    }
    if (name == "uc") {
        group.unicodeSkip = qBound(0, token.number, 16);
        return;
    }
    if (group.destination == Destination::FontTable) {
        fontTableWord(name, token.number);
        return;
    }
    if (group.destination == Destination::ColorTable) {
        colorTableWord(name, token.number);
        return;
    }
    if (name == "ansicpg") {
        m_documentCodepage = token.number;
        return;
    }
    if (name == "deff") {
        m_defaultFont = token.number;
        group.chars.font = token.number;
        return;
    }
    flushBytes();
    if (name == "par" || name == "row" || name == "sect" || name == "page") {
        endParagraph();
        return;
    }
    if (specialCharacter(name))
        return;
    if (characterProperty(name, token.hasNumber, token.number))
        return;
    paragraphProperty(name, token.hasNumber, token.number);
}

bool RtfReader::specialCharacter(const QByteArray &name)
{
    for (const SpecialCharacter &special : kSpecialCharacters) {
        if (name == special.word) {
            appendText(QString(QChar(special.character)));
            return true;
        }
    }
    return false;
}

bool RtfReader::characterProperty(const QByteArray &name, bool hasNumber, int number)
{
    CharState &chars = state().chars;
    // A toggle without a number, or with one other than 0, switches the property on.
    const bool on = !hasNumber || number != 0;
    if (name == "plain") {
        chars = CharState{};
        chars.font = m_defaultFont;
    } else if (name == "b") {
        chars.bold = on;
    } else if (name == "i") {
        chars.italic = on;
    } else if (name == "strike" || name == "striked") {
        chars.strike = on;
    } else if (name == "ulnone") {
        chars.underline = false;
    } else if (name.startsWith("ul") && name != "ulc") {
        chars.underline = on; // \ul, \uld, \uldb, \ulw and the other underline styles
    } else if (name == "f") {
        chars.font = number;
    } else if (name == "fs") {
        chars.halfPoints = number > 0 ? qMin(number, kMaxHalfPoints) : 24;
    } else if (name == "cf") {
        chars.foreground = number;
    } else if (name == "highlight" || name == "cb" || name == "chcbpat") {
        chars.background = number;
    } else {
        return false;
    }
    return true;
}

bool RtfReader::paragraphProperty(const QByteArray &name, bool hasNumber, int number)
{
    ParagraphState &paragraph = state().paragraph;
    const int twips = qBound(-kMaxTwips, number, kMaxTwips);
    if (name == "pard") {
        paragraph = ParagraphState{};
    } else if (name == "fi") {
        paragraph.firstIndentTwips = twips;
    } else if (name == "li") {
        paragraph.leftIndentTwips = twips;
    } else if (name == "ri") {
        paragraph.rightIndentTwips = twips;
    } else if (name == "ql") {
        paragraph.alignment = Qt::AlignLeft;
    } else if (name == "qc") {
        paragraph.alignment = Qt::AlignHCenter;
    } else if (name == "qr") {
        paragraph.alignment = Qt::AlignRight;
    } else if (name == "qj") {
        paragraph.alignment = Qt::AlignJustify;
    } else {
        return false;
    }
    m_blockParagraph = paragraph;
    return true;
}

void RtfReader::fontTableWord(const QByteArray &name, int number)
{
    if (name == "f") {
        m_fontBeingDefined = number;
        m_fontCharsetCodepage = 0;
        m_fontNameBytes.clear();
        m_fontName.clear();
    } else if (name == "fcharset") {
        m_fontCharsetCodepage = RtfCodepage::fromCharset(number, 0);
    } else if (name == "cpg") {
        m_fontCharsetCodepage = number;
    }
}

void RtfReader::fontTableBytes(const QByteArray &bytes)
{
    if (m_fontBeingDefined < 0)
        return;
    for (char c : bytes) {
        if (c != ';') {
            m_fontNameBytes.append(c);
            continue;
        }
        const int codepage = m_fontCharsetCodepage ? m_fontCharsetCodepage : m_documentCodepage;
        m_fontName += RtfCodepage::decode(m_fontNameBytes, codepage);
        m_fonts.insert(m_fontBeingDefined, {m_fontName.trimmed(), m_fontCharsetCodepage});
        m_fontNameBytes.clear();
        m_fontName.clear();
    }
}

void RtfReader::colorTableWord(const QByteArray &name, int number)
{
    const int component = qBound(0, number, kMaxColorComponent);
    if (name == "red") {
        m_red = component;
    } else if (name == "green") {
        m_green = component;
    } else if (name == "blue") {
        m_blue = component;
    } else {
        return;
    }
    m_colorGiven = true;
}

void RtfReader::colorTableBytes(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (c != ';')
            continue;
        m_colors.append(m_colorGiven ? QColor(m_red, m_green, m_blue) : QColor());
        m_red = m_green = m_blue = 0;
        m_colorGiven = false;
    }
}

void RtfReader::textBytes(const QByteArray &bytes)
{
    if (m_excessDepth > 0 || bytes.isEmpty())
        return;
    switch (state().destination) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        fontTableBytes(bytes);
        return;
    case Destination::ColorTable:
        colorTableBytes(bytes);
        return;
    case Destination::Text:
        break;
    }
    const int codepage = codepageOf(state().chars.font);
    if (!m_pendingBytes.isEmpty() && codepage != m_pendingCodepage)
        flushBytes();
    m_pendingCodepage = codepage;
    m_pendingBytes.append(bytes);
}

void RtfReader::unicodeChar(int value)
{
    m_fallbackToSkip = state().unicodeSkip;
    // \uN is a signed 16-bit number: negative values stand for the upper half of the range.
    constexpr char16_t kReplacement = 0xFFFD;
    const char16_t unit =
        value < -0x8000 || value > 0xFFFF ? kReplacement : char16_t(value < 0 ? value + 0x10000 : value);
    switch (state().destination) {
    case Destination::FontTable:
        if (m_fontBeingDefined >= 0) {
            m_fontName += RtfCodepage::decode(m_fontNameBytes,
                                              m_fontCharsetCodepage ? m_fontCharsetCodepage : m_documentCodepage);
            m_fontNameBytes.clear();
            m_fontName.append(QChar(unit));
        }
        return;
    case Destination::Text:
        flushBytes();
        appendText(QString(QChar(unit)));
        return;
    case Destination::ColorTable:
    case Destination::Skip:
        return;
    }
}

void RtfReader::appendText(const QString &text)
{
    if (state().destination != Destination::Text)
        return;
    if (!m_run.isEmpty() && !(m_runState == state().chars))
        flushRun();
    m_runState = state().chars;
    m_blockParagraph = state().paragraph;
    m_run += text;
}

void RtfReader::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    const QByteArray bytes = std::exchange(m_pendingBytes, {});
    // The bytes were collected under the current character state; decode before it changes.
    appendText(RtfCodepage::decode(bytes, m_pendingCodepage));
}

void RtfReader::flushRun()
{
    flushBytes();
    if (m_run.isEmpty())
        return;
    m_cursor.insertText(std::exchange(m_run, {}), charFormatOf(m_runState));
}

void RtfReader::endParagraph()
{
    flushRun();
    m_cursor.setBlockFormat(blockFormatOf(state().paragraph));
    m_cursor.insertBlock(blockFormatOf(state().paragraph), charFormatOf(state().chars));
    m_blockParagraph = state().paragraph;
}

int RtfReader::codepageOf(int font) const
{
    const auto it = m_fonts.constFind(font);
    if (it == m_fonts.cend() || it->codepage == 0)
        return m_documentCodepage;
    return it->codepage;
}

QTextCharFormat RtfReader::charFormatOf(const CharState &chars) const
{
    QTextCharFormat format;
    if (const auto it = m_fonts.constFind(chars.font); it != m_fonts.cend() && !it->name.isEmpty())
        format.setFontFamilies(QStringList{it->name});
    format.setFontPointSize(chars.halfPoints / 2.0);
    format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chars.italic);
    format.setFontUnderline(chars.underline);
    format.setFontStrikeOut(chars.strike);
    if (chars.foreground > 0 && chars.foreground < m_colors.size() && m_colors.at(chars.foreground).isValid())
        format.setForeground(m_colors.at(chars.foreground));
    if (chars.background > 0 && chars.background < m_colors.size() && m_colors.at(chars.background).isValid())
        format.setBackground(m_colors.at(chars.background));
    return format;
}

QTextBlockFormat RtfReader::blockFormatOf(const ParagraphState &paragraph) const
{
    QTextBlockFormat format;
    format.setTextIndent(paragraph.firstIndentTwips / kTwipsPerPixel);
    format.setLeftMargin(paragraph.leftIndentTwips / kTwipsPerPixel);
    format.setRightMargin(paragraph.rightIndentTwips / kTwipsPerPixel);
    format.setAlignment(paragraph.alignment);
    return format;
}
