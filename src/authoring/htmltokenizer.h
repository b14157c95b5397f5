#pragma once

#include <QList>
#include <QString>

// Splits one line of an HTML page into coloured spans (tags, attributes, comments, character
// references, the doctype, embedded script and style) for the source view. Constructs run over
// line ends, so each line starts from the state the line before it ended in; that state fits in
// a small integer so the view can keep it with the line. It never changes the text and never
// fails: anything that is not markup is text, and an unclosed construct simply carries on.
class HtmlTokenizer
{
public:
    enum class Kind {
        Text,
        Tag, // "<", "</", ">", "/>", the element name and the spaces and "=" between attributes
        AttributeName,
        AttributeValue,     // with its quotes
        Comment,            // "<!-- ... -->", and "<!...>" / "<?...>" declarations that are not the doctype
        CharacterReference, // "&amp;", "&#12354;", "&#x3042;"
        Doctype,
        Script, // the content of <script>
        Style,  // the content of <style>
    };

    struct Span
    {
        int start = 0;
        int length = 0;
        Kind kind = Kind::Text;

        bool operator==(const Span &) const = default;
    };

    // Where a line ends up, to be carried into the next one.
    enum class Context {
        Text,
        InTag,        // after the element name, among attributes
        BeforeValue,  // after "=", before the value
        SingleQuoted, // inside '...'
        DoubleQuoted, // inside "..."
        Comment,      // inside <!-- -->
        Declaration,  // inside <!...> or <?...>, closed by ">"
        Doctype,      // inside <!DOCTYPE ...>
        ScriptContent,
        StyleContent,
    };

    // The raw-text element whose start tag is being read: its content follows the ">".
    enum class RawText {
        None,
        Script,
        Style,
    };

    struct State
    {
        Context context = Context::Text;
        RawText rawText = RawText::None;

        bool operator==(const State &) const = default;

        // A small non-negative number, and back; an unknown number reads as the start state.
        int toInt() const;
        static State fromInt(int value);
    };

    struct Result
    {
        QList<Span> spans; // covering the line, in order, neighbours of one kind merged
        State end;
    };

    // spans: also returns them; with spansWanted false only the end state is computed (faster).
    static Result tokenize(const QString &line, State start, bool spansWanted = true);
};
