// The HTML tokenizer line by line: each row starts a line in a state, and names the spans it must
// give and the state it must end in. Spans are written kind[text]: t text, T tag, N attribute name,
// V attribute value, C comment, R character reference, D doctype, S script, Y style.
#include "authoring/htmltokenizer.h"

#include <gtest/gtest.h>

namespace {

using Context = HtmlTokenizer::Context;
using RawText = HtmlTokenizer::RawText;
using State = HtmlTokenizer::State;

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString render(const QString &line, const QList<HtmlTokenizer::Span> &spans)
{
    static const char kCodes[] = "tTNVCRDSY";
    QString out;
    for (const HtmlTokenizer::Span &span : spans) {
        out += QLatin1Char(kCodes[int(span.kind)]);
        out += u'[' + line.mid(span.start, span.length) + u']';
    }
    return out;
}

TEST(HtmlTokenizer, SpansAndEndStateOfEachKindOfLine)
{
    struct Case
    {
        const char *line;
        State start;
        const char *spans;
        State end;
    };
    const State text;
    const State inTag{Context::InTag};
    const Case cases[] = {
        // tags and attributes, quoted both ways and unquoted
        {"<p>猫</p>", text, "T[<p>]t[猫]T[</p>]", text},
        {"<a href=\"x.htm\" id='b' class=c>",
         text,
         "T[<a ]N[href]T[=]V[\"x.htm\"]T[ ]N[id]T[=]V['b']T[ ]N[class]T[=]V[c]T[>]",
         text},
        {"<img src=a/b.png alt = \"猫 > 犬\"/>",
         text,
         "T[<img ]N[src]T[=]V[a/b.png]T[ ]N[alt]T[ = ]V[\"猫 > 犬\"]T[/>]",
         text},
        {"<input disabled>", text, "T[<input ]N[disabled]T[>]", text},
        // "<" and "&" that open nothing stay text
        {"a < b <3 <> &", text, "t[a < b <3 <> &]", text},
        {"x&amp;y&#12354;&#x3042&copy", text, "t[x]R[&amp;]t[y]R[&#12354;&#x3042]t[&copy]", text},
        // comments, the doctype and other declarations
        {"<!-- a <b> -->c", text, "C[<!-- a <b> -->]t[c]", text},
        {"<!DOCTYPE html>", text, "D[<!DOCTYPE html>]", text},
        {"<!doctype html", text, "D[<!doctype html]", {Context::Doctype}},
        {"<?xml version=\"1.0\"?><![CDATA[x]]>", text, "C[<?xml version=\"1.0\"?><![CDATA[x]]>]", text},
        // unclosed constructs carry on into the next line
        {"<p>a<!-- b", text, "T[<p>]t[a]C[<!-- b]", {Context::Comment}},
        {"<a href=\"x", text, "T[<a ]N[href]T[=]V[\"x]", {Context::DoubleQuoted}},
        {"<a title='x", text, "T[<a ]N[title]T[=]V['x]", {Context::SingleQuoted}},
        {"<a href=", text, "T[<a ]N[href]T[=]", {Context::BeforeValue}},
        {"<table border=1", text, "T[<table ]N[border]T[=]V[1]", inTag},
        // and are finished on it
        {"still -->after", {Context::Comment}, "C[still -->]t[after]", text},
        {"y.htm\">link</a>", {Context::DoubleQuoted}, "V[y.htm\"]T[>]t[link]T[</a>]", text},
        {"  \"v\" b>", {Context::BeforeValue}, "T[  ]V[\"v\"]T[ ]N[b]T[>]", text},
        {"width=2>", inTag, "N[width]T[=]V[2]T[>]", text},
        {"html>", {Context::Doctype}, "D[html>]", text},
        // script and style content, up to their own end tag only
        {"<script>if (a < b && c) s = '</p>';</script>x",
         text,
         "T[<script>]S[if (a < b && c) s = '</p>';]T[</script>]t[x]",
         text},
        {"<STYLE type=\"text/css\">p { color: red }",
         text,
         "T[<STYLE ]N[type]T[=]V[\"text/css\"]T[>]Y[p { color: red }]",
         {Context::StyleContent}},
        {"</scripts> x</SCRIPT >", {Context::ScriptContent}, "S[</scripts> x]T[</SCRIPT >]", text},
        {"<script", text, "T[<script]", {Context::InTag, RawText::Script}},
        {" src=a.js>", {Context::InTag, RawText::Script}, "T[ ]N[src]T[=]V[a.js]T[>]", {Context::ScriptContent}},
        // Japanese text decoded from Shift_JIS or UTF-8 alike, an ideographic space inside a tag
        {"ｶﾀｶﾅ<b>★子ども</b>　", text, "t[ｶﾀｶﾅ]T[<b>]t[★子ども]T[</b>]t[　]", text},
        {"", {Context::Comment}, "", {Context::Comment}},
    };
    for (const Case &c : cases) {
        const QString line = q(c.line);
        const HtmlTokenizer::Result result = HtmlTokenizer::tokenize(line, c.start);
        EXPECT_EQ(render(line, result.spans), q(c.spans)) << c.line;
        EXPECT_EQ(result.end, c.end) << c.line;
        EXPECT_EQ(HtmlTokenizer::tokenize(line, c.start, false).end, c.end) << c.line;
        EXPECT_EQ(State::fromInt(c.end.toInt()), c.end) << c.line;
    }
}

TEST(HtmlTokenizer, StateCarriesFromLineToLine)
{
    const QStringList page = {
        q("<!DOCTYPE html><html lang=\"ja\">"),
        q("<!-- 見出し"),
        q("<h1>x</h1> -->"),
        q("<script type=\"text/javascript\">"),
        q("var s = \"<!--\";"),
        q("</script><p class=\"a"),
        q("b\">ねこ&amp;いぬ</p>"),
    };
    const Context expected[] = {
        Context::Text,
        Context::Comment,
        Context::Text,
        Context::ScriptContent,
        Context::ScriptContent,
        Context::DoubleQuoted,
        Context::Text,
    };
    State state;
    for (int i = 0; i < page.size(); ++i) {
        const HtmlTokenizer::Result result = HtmlTokenizer::tokenize(page.at(i), state);
        EXPECT_EQ(result.end.context, expected[i]) << i;
        state = result.end;
        if (i == 2) {
            EXPECT_EQ(render(page.at(i), result.spans), q("C[<h1>x</h1> -->]"));
        } else if (i == 6) {
            EXPECT_EQ(render(page.at(i), result.spans), q("V[b\"]T[>]t[ねこ]R[&amp;]t[いぬ]T[</p>]"));
        }
    }
}

TEST(HtmlTokenizer, UnknownStateNumberReadsAsStart)
{
    EXPECT_EQ(State::fromInt(-1), State());
    EXPECT_EQ(State::fromInt(15), State());
    EXPECT_EQ(State::fromInt(3 << 4), State());
}

} // namespace
