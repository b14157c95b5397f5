#include "authoring/htmltokenizer.h"

namespace {

using Kind = HtmlTokenizer::Kind;
using Context = HtmlTokenizer::Context;
using RawText = HtmlTokenizer::RawText;
using State = HtmlTokenizer::State;

constexpr int kRawTextShift = 4;
constexpr int kContextMask = (1 << kRawTextShift) - 1;

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return isAsciiDigit(c) || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

// HTML's own white space; an ideographic space is text, even inside a tag.
bool isSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == u'\f';
}

// Reads one line, appending spans and moving the state along.
class LineScanner
{
public:
    LineScanner(const QString &line, State state, bool spansWanted)
        : m_line(line), m_state(state), m_spansWanted(spansWanted)
    {}

    HtmlTokenizer::Result run()
    {
        while (m_pos < m_line.size()) {
            switch (m_state.context) {
            case Context::Text:
                text();
                break;
            case Context::InTag:
                inTag();
                break;
            case Context::BeforeValue:
                beforeValue();
                break;
            case Context::SingleQuoted:
                quoted(u'\'');
                break;
            case Context::DoubleQuoted:
                quoted(u'"');
                break;
            case Context::Comment:
                closedBy(QStringLiteral("-->"), Kind::Comment);
                break;
            case Context::Declaration:
                closedBy(QStringLiteral(">"), Kind::Comment);
                break;
            case Context::Doctype:
                closedBy(QStringLiteral(">"), Kind::Doctype);
                break;
            case Context::ScriptContent:
                rawText(QStringLiteral("</script"), Kind::Script);
                break;
            case Context::StyleContent:
                rawText(QStringLiteral("</style"), Kind::Style);
                break;
            }
        }
        return {m_spans, m_state};
    }

private:
    void add(int length, Kind kind)
    {
        if (m_spansWanted && length > 0) {
            if (!m_spans.isEmpty() && m_spans.last().kind == kind)
                m_spans.last().length += length;
            else
                m_spans.append({int(m_pos), length, kind});
        }
        m_pos += length;
    }

    QChar at(qsizetype pos) const { return pos < m_line.size() ? m_line.at(pos) : QChar(); }

    bool startsWithAt(qsizetype pos, const QString &what) const
    {
        return QStringView(m_line).mid(pos).startsWith(what, Qt::CaseInsensitive);
    }

    void text()
    {
        const qsizetype markup = nextMarkup(m_pos);
        add(int(markup - m_pos), Kind::Text);
        if (m_pos >= m_line.size())
            return;
        if (at(m_pos) == u'&') {
            add(characterReferenceLength(m_pos), Kind::CharacterReference);
        } else if (startsWithAt(m_pos, QStringLiteral("<!--"))) {
            add(4, Kind::Comment);
            m_state.context = Context::Comment;
        } else if (startsWithAt(m_pos, QStringLiteral("<!doctype"))) {
            add(9, Kind::Doctype);
            m_state.context = Context::Doctype;
        } else if (at(m_pos + 1) == u'!' || at(m_pos + 1) == u'?') {
            add(2, Kind::Comment);
            m_state.context = Context::Declaration;
        } else {
            startTag();
        }
    }

    // The next "<" or "&" that opens markup or a character reference; the line's end when none.
    qsizetype nextMarkup(qsizetype from) const
    {
        for (qsizetype pos = from; pos < m_line.size(); ++pos) {
            const QChar c = m_line.at(pos);
            if (c == u'&' && characterReferenceLength(pos) > 0)
                return pos;
            if (c != u'<')
                continue;
            const QChar next = at(pos + 1);
            // A "<" that opens nothing ("a < b", "<3") is text, as browsers show it.
            if (isAsciiLetter(next) || next == u'!' || next == u'?' || (next == u'/' && isAsciiLetter(at(pos + 2))))
                return pos;
        }
        return m_line.size();
    }

    // "&name;", "&#123;" or "&#x1F;" (the ";" optional after digits, as browsers allow); 0 when
    // the "&" starts none of them.
    int characterReferenceLength(qsizetype pos) const
    {
        qsizetype end = pos + 1;
        if (at(end) == u'#') {
            ++end;
            const bool hex = at(end) == u'x' || at(end) == u'X';
            if (hex)
                ++end;
            const qsizetype digits = end;
            while (hex ? isHexDigit(at(end)) : isAsciiDigit(at(end)))
                ++end;
            if (end == digits)
                return 0;
            if (at(end) == u';')
                ++end;
            return int(end - pos);
        }
        if (!isAsciiLetter(at(end)))
            return 0;
        while (isAsciiLetter(at(end)) || isAsciiDigit(at(end)))
            ++end;
        return at(end) == u';' ? int(end + 1 - pos) : 0;
    }

    void startTag()
    {
        const bool endTag = at(m_pos + 1) == u'/';
        qsizetype nameEnd = m_pos + (endTag ? 2 : 1);
        const qsizetype nameStart = nameEnd;
        while (nameEnd < m_line.size() && !isSpace(m_line.at(nameEnd)) && m_line.at(nameEnd) != u'>'
               && m_line.at(nameEnd) != u'/')
            ++nameEnd;
        const QStringView name = QStringView(m_line).mid(nameStart, nameEnd - nameStart);
        m_state.rawText = RawText::None;
        if (!endTag && name.compare(u"script", Qt::CaseInsensitive) == 0)
            m_state.rawText = RawText::Script;
        else if (!endTag && name.compare(u"style", Qt::CaseInsensitive) == 0)
            m_state.rawText = RawText::Style;
        add(int(nameEnd - m_pos), Kind::Tag);
        m_state.context = Context::InTag;
    }

    void inTag()
    {
        const QChar c = m_line.at(m_pos);
        if (c == u'>') {
            add(1, Kind::Tag);
            closeTag();
        } else if (isSpace(c) || c == u'/' || c == u'=') {
            add(1, Kind::Tag);
            if (c == u'=')
                m_state.context = Context::BeforeValue;
        } else {
            qsizetype end = m_pos;
            // As in browsers, a quote or "<" here is part of the name.
            while (end < m_line.size() && !isSpace(m_line.at(end)) && m_line.at(end) != u'>' && m_line.at(end) != u'/'
                   && (end == m_pos || m_line.at(end) != u'='))
                ++end;
            add(int(end - m_pos), Kind::AttributeName);
        }
    }

    void closeTag()
    {
        switch (m_state.rawText) {
        case RawText::Script:
            m_state.context = Context::ScriptContent;
            break;
        case RawText::Style:
            m_state.context = Context::StyleContent;
            break;
        case RawText::None:
            m_state.context = Context::Text;
            break;
        }
        m_state.rawText = RawText::None;
    }

    void beforeValue()
    {
        const QChar c = m_line.at(m_pos);
        if (isSpace(c)) {
            add(1, Kind::Tag);
        } else if (c == u'>') {
            add(1, Kind::Tag);
            closeTag();
        } else if (c == u'"' || c == u'\'') {
            add(1, Kind::AttributeValue);
            m_state.context = c == u'"' ? Context::DoubleQuoted : Context::SingleQuoted;
        } else {
            qsizetype end = m_pos;
            while (end < m_line.size() && !isSpace(m_line.at(end)) && m_line.at(end) != u'>')
                ++end;
            add(int(end - m_pos), Kind::AttributeValue);
            m_state.context = Context::InTag;
        }
    }

    void quoted(char16_t quote)
    {
        const qsizetype close = m_line.indexOf(QChar(quote), m_pos);
        if (close < 0) {
            add(int(m_line.size() - m_pos), Kind::AttributeValue);
            return;
        }
        add(int(close + 1 - m_pos), Kind::AttributeValue);
        m_state.context = Context::InTag;
    }

    void closedBy(const QString &end, Kind kind)
    {
        const qsizetype close = m_line.indexOf(end, m_pos);
        if (close < 0) {
            add(int(m_line.size() - m_pos), kind);
            return;
        }
        add(int(close + end.size() - m_pos), kind);
        m_state.context = Context::Text;
    }

    void rawText(const QString &endTag, Kind kind)
    {
        qsizetype close = m_pos;
        while ((close = m_line.indexOf(endTag, close, Qt::CaseInsensitive)) >= 0) {
            const QChar after = at(close + endTag.size());
            if (after.isNull() || isSpace(after) || after == u'>' || after == u'/')
                break;
            close += endTag.size();
        }
        if (close < 0) {
            add(int(m_line.size() - m_pos), kind);
            return;
        }
        add(int(close - m_pos), kind);
        m_state.context = Context::Text;
        startTag();
    }

    const QString &m_line;
    State m_state;
    const bool m_spansWanted;
    qsizetype m_pos = 0;
    QList<HtmlTokenizer::Span> m_spans;
};

} // namespace

int HtmlTokenizer::State::toInt() const
{
    return int(context) | (int(rawText) << kRawTextShift);
}

HtmlTokenizer::State HtmlTokenizer::State::fromInt(int value)
{
    const int context = value & kContextMask;
    const int rawText = value >> kRawTextShift;
    if (value < 0 || context > int(Context::StyleContent) || rawText > int(RawText::Style))
        return {};
    return {Context(context), RawText(rawText)};
}

HtmlTokenizer::Result HtmlTokenizer::tokenize(const QString &line, State start, bool spansWanted)
{
    return LineScanner(line, start, spansWanted).run();
}
