#include "pagecheck/checksentences.h"

#include <QHash>

#include <algorithm>

namespace {

using Level = CheckRow::Level;

// when: the conditions on tidy's arguments, ";" between them: "%2=alt" (the second argument is
// alt, letter case aside), "%1=<input>|<select>" (one of these), "%1^</" (begins with "</").
struct Row
{
    const char *key;
    Level level;
    const char *sentence;
    const char *when = "";
};

// Each sentence says what tidy's message says, about what it names, and no more. Elements and
// attributes the program's own commands write (<font>, <center>, <basefont>, align=…, a table
// without summary, colours in the "$" and RGB notations, an empty href) work in today's browsers
// or are the user's to fill in: they are hints or cautions, never errors.
constexpr Row kRows[] = {
    // Elements left open, closed in the wrong order, or closed without being opened.
    {"MISSING_ENDTAG_FOR", Level::Error, "%L 行目の <%1> が閉じられていません。閉じる位置に </%1> を書いてください。"},
    {"MISSING_ENDTAG_BEFORE",
     Level::Error,
     "%L 行目の <%1> が閉じられていません。閉じる位置に </%1> を書いてください（%2 より前に）。"},
    {"NON_MATCHING_ENDTAG",
     Level::Error,
     "%L 行目の <%E> が閉じられないうちに </%1> が来ています。</%1> の前に </%E> を書いてください。"},
    {"MISSING_ENDTAG_OPTIONAL", Level::Hint, "</%1> は省略できますが、書いておくと分かりやすくなります。"},
    {"DISCARDING_UNEXPECTED",
     Level::Error,
     "%1 に対応する開始タグがない（または先に閉じられている）ため、無視されます。要らなければ消してください。",
     "%1^</"},
    {"DISCARDING_UNEXPECTED",
     Level::Caution,
     "<body> はこれより前で始まったものとして扱われているため、この <body> は無視されます。",
     "%1=<body>"},
    {"DISCARDING_UNEXPECTED", Level::Error, "%1 はここには書けないため、無視されます。要らなければ消してください。"},
    {"UNEXPECTED_ENDTAG", Level::Error, "</%1> に対応する開始タグがありません。消すか、開始タグを書いてください。"},
    {"UNEXPECTED_ENDTAG_ERR", Level::Error, "</%1> に対応する開始タグがありません。消すか、開始タグを書いてください。"},
    {"UNEXPECTED_ENDTAG_IN", Level::Error, "<%2> の中に、対応する開始タグのない </%1> があります。"},
    {"MISSING_STARTTAG", Level::Caution, "<%1> の開始タグがないため、ここに補われます。"},
    {"INSERTING_TAG", Level::Caution, "<%1> が書かれていないため、ここに補われます。"},
    {"COERCE_TO_ENDTAG", Level::Error, "<%1> は閉じタグ </%1> のつもりではありませんか。閉じタグは </ で始めます。"},
    {"NESTED_EMPHASIS", Level::Caution, "%1 の中にもう一つ %1 があります。前の %1 の閉じ忘れではありませんか。"},
    {"NESTED_QUOTATION", Level::Caution, "<q> の中にもう一つ <q> があります。閉じ忘れではありませんか。"},
    {"ILLEGAL_NESTING", Level::Error, "%1 の中に %1 を入れることはできません。前の %1 を閉じてから書いてください。"},
    {"CANT_BE_NESTED", Level::Error, "%1 の中に %1 を入れることはできません。前の %1 を閉じてから書いてください。"},
    {"TAG_NOT_ALLOWED_IN",
     Level::Error,
     "<%2> の中に文字があります。ページに出す文字は <body> の中に書いてください。",
     "%1=plain text"},
    {"TAG_NOT_ALLOWED_IN",
     Level::Caution,
     "%1 が <form> の外にあります。送る入力欄なら <form> の中に書いてください。",
     "%1=<input>|<select>|<textarea>|<button>;%2=body"},
    {"TAG_NOT_ALLOWED_IN",
     Level::Caution,
     "この </head> より前で <body> が始まったものとして扱われています。<head> の中に、<body> に書くものがないか"
     "確かめてください。",
     "%1=</head>;%2=body"},
    {"TAG_NOT_ALLOWED_IN", Level::Error, "%1 は <%2> の中には書けません。"},
    {"TOO_MANY_ELEMENTS", Level::Error, "%1 が二つ以上あります。一つにしてください。"},
    {"TOO_MANY_ELEMENTS_IN", Level::Error, "<%2> の中に %1 が二つ以上あります。一つにしてください。"},
    {"ELEMENT_NOT_EMPTY", Level::Error, "%1 は中身を持てないタグですが、中身か閉じタグがあります。"},
    {"TRIM_EMPTY_ELEMENT", Level::Hint, "中身のない %1 があります。要らなければ消してください。"},
    {"UNKNOWN_ELEMENT", Level::Error, "%1 という名前のタグはありません。つづりを確かめてください。"},
    {"UNKNOWN_ELEMENT_LOOKS_CUSTOM",
     Level::Caution,
     "%1 という名前のタグはありません。つづりを確かめてください（自分で名前を付けたタグなら、このままで構いません）。"},
    {"CUSTOM_TAG_DETECTED", Level::Hint, "%1 は自分で名前を付けたタグとして扱われます。"},
    {"REPLACING_ELEMENT", Level::Caution, "%1 は %2 として扱われます。"},
    {"REPLACING_UNEX_ELEMENT", Level::Caution, "ここに書けない %1 は %2 として扱われます。"},
    {"USING_BR_INPLACE_OF", Level::Caution, "%1 は改行 <br> として扱われます。"},
    // The page's frame.
    {"CONTENT_AFTER_BODY", Level::Caution, "</body> の後ろに中身があります。</body> の前に移してください。"},
    {"DOCTYPE_AFTER_TAGS", Level::Error, "<!DOCTYPE> はページの一番最初に書いてください。"},
    {"MISSING_DOCTYPE",
     Level::Caution,
     "ページの最初に <!DOCTYPE html> がありません。書いておくと、ブラウザーが今の決まりどおりに表示します。"},
    {"MALFORMED_DOCTYPE", Level::Error, "<!DOCTYPE> の書き方が正しくないため、無視されます。"},
    {"MISSING_TITLE_ELEMENT", Level::Error, "ページの題名 <title> がありません。<head> の中に書いてください。"},
    {"DUPLICATE_FRAMESET", Level::Error, "<frameset> が二つ以上あります。一つにしてください。"},
    {"NOFRAMES_CONTENT", Level::Caution, "%1 が <noframes> の外にあります。"},
    {"MOVED_STYLE_TO_HEAD", Level::Caution, "<style> が <body> の中にあります。<head> の中に移してください。"},
    {"FOUND_STYLE_IN_BODY", Level::Caution, "<style> が <body> の中にあります。<head> の中に移してください。"},
    {"XML_DECLARATION_DETECTED", Level::Hint, "<?xml …?> は普通の HTML のページには要りません。"},
    {"SPACE_PRECEDING_XMLDECL", Level::Caution, "<?xml …?> の前に空白があります。ページの一番最初に書いてください。"},
    {"OBSOLETE_ELEMENT", Level::Hint, "%1 は古いタグで、%2 として扱われます。%2 を使ってください。"},
    {"REMOVED_HTML5",
     Level::Caution,
     "<basefont> は今のブラウザーでは効きません。文字の大きさは <font size> かスタイルシートで指定してください。",
     "%1=<basefont>"},
    {"REMOVED_HTML5", Level::Hint, "%1 は HTML5 で廃止された古いタグですが、多くのブラウザーはまだ従います。"},
    {"ELEMENT_VERS_MISMATCH_WARN", Level::Hint, "%1 は %2 にはないタグです。"},
    {"ELEMENT_VERS_MISMATCH_ERROR", Level::Hint, "%1 は %2 にはないタグです。"},
    {"PROPRIETARY_ELEMENT", Level::Hint, "%1 は一部のブラウザーだけのタグです。"},
    {"MISSING_IMAGEMAP",
     Level::Hint,
     "%1 はサーバー側のイメージマップです。usemap を使う方法なら、どのブラウザーでも働きます。"},
    // Attributes.
    {"MISSING_ATTRIBUTE",
     Level::Error,
     "%1 に alt 属性がありません。画像が見えない人のために、alt=\"…\" に画像の説明を書いてください。",
     "%2=alt"},
    {"MISSING_ATTRIBUTE",
     Level::Hint,
     "%1 に summary 属性がありません。HTML 4.01 では、表の中身の説明を summary=\"…\" に書くよう勧められています"
     "（HTML5 では要りません）。",
     "%2=summary"},
    {"MISSING_ATTRIBUTE",
     Level::Hint,
     "%1 に type 属性がありません。HTML 4.01 では type=\"…\" を書くことになっています（HTML5 では要りません）。",
     "%2=type"},
    {"MISSING_ATTRIBUTE", Level::Error, "%1 に %2 属性がありません。%2=\"…\" を書いてください。", "%2=src"},
    {"MISSING_ATTRIBUTE", Level::Caution, "%1 に %2 属性がありません。"},
    {"MISSING_ATTR_VALUE",
     Level::Hint,
     "%1 の href が空です。空のリンク先は、このページそのものを指します。",
     "%2=href"},
    {"MISSING_ATTR_VALUE", Level::Caution, "%1 の %2 属性に値がありません。"},
    {"INSERTING_AUTO_ATTRIBUTE", Level::Hint, "%1 に %2=\"%3\" が補われます。書いておくと確かです。"},
    {"MISSING_QUOTEMARK",
     Level::Error,
     "%1 の属性の値を閉じる引用符 (\") がありません。値の終わりに \" を書いてください。"},
    {"MISSING_QUOTEMARK_OPEN", Level::Caution, "%1 属性の値が引用符 (\") で囲まれていません。"},
    {"SUSPECTED_MISSING_QUOTE",
     Level::Error,
     "属性の値を閉じる引用符 (\") がないようです。値の終わりを確かめてください。"},
    {"UNEXPECTED_QUOTEMARK", Level::Error, "%1 の中に余分な引用符 (\") があります。"},
    {"UNEXPECTED_GT", Level::Error, "%1 の終わりの > がありません。"},
    {"UNEXPECTED_EQUALSIGN", Level::Error, "%1 の中に、属性の名前のない = があります。"},
    {"UNEXPECTED_END_OF_FILE",
     Level::Error,
     "%1 の途中でページが終わっています。> や引用符の閉じ忘れを確かめてください。"},
    {"UNEXPECTED_END_OF_FILE_ATTR",
     Level::Error,
     "%1 の属性の途中でページが終わっています。引用符の閉じ忘れを確かめてください。"},
    {"REPEATED_ATTRIBUTE", Level::Error, "%1 に %3 属性が二つ以上書かれています。一つにしてください。"},
    {"JOINING_ATTRIBUTE", Level::Caution, "%1 に %2 属性が二つ以上書かれています。一つにまとめてください。"},
    {"BAD_ATTRIBUTE_VALUE",
     Level::Caution,
     "%1 の %2 属性の値「%3」は HTML の色の書き方ではないため、思った色になりません。色は #FF0000 "
     "のように書いてください。",
     "%2=color|bgcolor|text|link|vlink|alink"},
    {"BAD_ATTRIBUTE_VALUE", Level::Caution, "%1 の %2 属性の値「%3」は正しくありません。"},
    {"BAD_ATTRIBUTE_VALUE_REPLACED", Level::Caution, "%1 の %2 属性の値「%3」は正しくありません。"},
    {"ATTRIBUTE_VALUE_REPLACED", Level::Caution, "%1 の %2 属性の値「%3」は正しくありません。"},
    {"INVALID_ATTRIBUTE", Level::Error, "%1 の属性の名前「%2」は正しくありません。つづりや引用符を確かめてください。"},
    {"ATTRIBUTE_IS_NOT_ALLOWED", Level::Caution, "自分で名前を付けたタグ %1 には is 属性を書けません。"},
    {"MISMATCHED_ATTRIBUTE_ERROR", Level::Caution, "%1 の %2 属性は %3 にはありません。"},
    {"MISMATCHED_ATTRIBUTE_WARN",
     Level::Hint,
     "%1 の %2 属性は %3 にはない古い書き方ですが、多くのブラウザーはまだ従います。"},
    {"PROPRIETARY_ATTRIBUTE", Level::Hint, "%1 の %2 属性は一部のブラウザーだけのものです。"},
    {"PROPRIETARY_ATTR_VALUE", Level::Hint, "%1 の属性の値「%2」は一部のブラウザーだけのものです。"},
    {"ATTR_VALUE_NOT_LCASE", Level::Hint, "%1 の属性の値「%2」は、XHTML では小文字で書きます。"},
    {"ANCHOR_NOT_UNIQUE",
     Level::Error,
     "%1 の名前「%2」は、このページの前の方でもう使われています。別の名前にしてください。"},
    {"ID_NAME_MISMATCH", Level::Caution, "%1 の id と name の値が違います。同じにしてください。"},
    {"INVALID_XML_ID", Level::Caution, "%1 の name の値は、id には使えない書き方です。"},
    {"XML_ID_SYNTAX", Level::Caution, "%1 の id「%2」は XML の書き方です。英数字と - _ だけにすると確かです。"},
    {"BAD_SUMMARY_HTML5",
     Level::Hint,
     "%1 の summary 属性は HTML5 では使われなくなりました。表の説明は <caption> に書けます。"},
    // Characters and entities.
    {"UNESCAPED_AMPERSAND", Level::Caution, "& はそのままでは書けません。&amp; と書いてください。"},
    {"UNKNOWN_ENTITY",
     Level::Caution,
     "%1 という文字の書き方はありません。& そのものは、アドレスの中でも &amp; と書いてください。"},
    {"MISSING_SEMICOLON", Level::Caution, "文字の書き方 %1 の終わりに ; がありません。%1; と書いてください。"},
    {"MISSING_SEMICOLON_NCR", Level::Caution, "文字番号 %1 の終わりに ; がありません。%1; と書いてください。"},
    {"APOS_UNDEFINED",
     Level::Hint,
     "&apos; はこの HTML の版にはありません。&#39; と書くと、どのブラウザーでも ' になります。"},
    {"INVALID_NCR", Level::Caution, "文字番号 %2 は HTML では使えない番号のため、無視されます。", "%1=discarding"},
    {"INVALID_NCR", Level::Caution, "文字番号 %2 は HTML では使えない番号のため、別の文字に置き換えられます。"},
    {"INVALID_SGML_CHARS", Level::Error, "ページに表示できない制御文字（文字番号 %2）が入っています。"},
    {"VENDOR_SPECIFIC_CHARS", Level::Caution, "特定のパソコンでしか表示されない文字（文字番号 %2）が入っています。"},
    {"INVALID_UTF8", Level::Error, "文字として読めないバイト（%2）が入っています。"},
    {"INVALID_UTF16", Level::Error, "文字として読めない文字番号（%2）が入っています。"},
    {"BAD_SURROGATE_PAIR", Level::Error, "文字番号 U+%1 と U+%2 は正しい組ではないため、表示できません。"},
    {"BAD_SURROGATE_LEAD", Level::Error, "文字番号 U+%1 は、前に対になる文字番号がないため表示できません。"},
    {"BAD_SURROGATE_TAIL", Level::Error, "文字番号 U+%1 は、後ろに対になる文字番号がないため表示できません。"},
    {"MALFORMED_COMMENT",
     Level::Caution,
     "コメント <!-- --> の中に -- があります。コメントの中では -- を使わないでください。"},
    {"MALFORMED_COMMENT_WARN",
     Level::Caution,
     "コメント <!-- --> の中に -- があります。コメントの中では -- を使わないでください。"},
    {"MALFORMED_COMMENT_DROPPING",
     Level::Caution,
     "コメントのつもりの書き方に - が足りないため、無視されます。コメントは <!-- で始めます。"},
    {"MALFORMED_COMMENT_EOS", Level::Error, "コメント <!-- の終わり --> がないまま、ページが終わっています。"},
    {"BAD_CDATA_CONTENT",
     Level::Caution,
     "<script> や <style> の中の </ と英字は、そこで終わりと読まれることがあります。<\\/ と書いてください。"},
    // Addresses.
    {"BACKSLASH_IN_URI", Level::Caution, "%1 のアドレスに \\ が入っています。区切りには / を使ってください。"},
    {"FIXED_BACKSLASH", Level::Caution, "%1 のアドレスに \\ が入っています。区切りには / を使ってください。"},
    {"ILLEGAL_URI_REFERENCE",
     Level::Caution,
     "%1 のアドレスに、そのままでは書けない文字（空白や英数字でない文字）が入っています。"},
    {"ESCAPED_ILLEGAL_URI",
     Level::Caution,
     "%1 のアドレスに、そのままでは書けない文字（空白や英数字でない文字）が入っています。"},
    {"ILLEGAL_URI_CODEPOINT", Level::Caution, "%1 のアドレスに、アドレスには使えない文字が入っています。"},
    {"WHITE_IN_URI", Level::Caution, "%1 のアドレスに空白が入っています。空白は取り除かれます。"},
    {"NEWLINE_IN_URI", Level::Error, "%1 のアドレスの途中で改行しています。改行は取り除かれます。"},
    // Our own checks.
    {CheckSentences::kCharsetMissing,
     Level::Error,
     "文字コードの宣言がありません。<head> の中に <meta charset=\"%1\"> "
     "を書いてください（書かないと文字化けすることがあります）。"},
    {CheckSentences::kCharsetMissingAscii,
     Level::Caution,
     "文字コードの宣言がありません。今は英数字だけなので正しく表示されますが、日本語を書く前に <head> の中に "
     "<meta charset=\"%1\"> を書いてください。"},
    {CheckSentences::kCharsetMismatch,
     Level::Error,
     "文字コードの宣言（%2）が保存する文字コード（%1）と違います。宣言を %1 に直さないと文字化けします。"},
    {CheckSentences::kCharsetMismatchAscii,
     Level::Caution,
     "文字コードの宣言（%2）が保存する文字コード（%1）と違います。今は英数字だけなので正しく表示されますが、"
     "日本語を書くと文字化けします。宣言を %1 に直してください。"},
    {CheckSentences::kTargetMissing,
     Level::Error,
     "リンク先のファイル %1 が見つかりません。ファイル名と場所を確かめてください。"},
    {CheckSentences::kTargetCase,
     Level::Error,
     "リンク先のファイル名の大文字・小文字が実際の名前 %1 と違います。サーバーでは見つからなくなります。"},
    {CheckSentences::kLocalPath,
     Level::Error,
     "%1 は自分のパソコンの中の場所です。公開すると見られません。ページからの相対的な場所で書いてください。"},
    {CheckSentences::kInsecureImage,
     Level::Caution,
     "https のページに http の画像 %1 があります。表示されないことがあります。https のアドレスにしてください。"},
    {CheckSentences::kViewportMissing,
     Level::Hint,
     "スマホ向けの表示の指定 <meta name=\"viewport\"> がありません。スマホでは文字が小さく縮んで表示されます。"
     "<head> の中に %1 を書いてください。"},
    {CheckSentences::kWiderThanPhone,
     Level::Hint,
     "スマホの幅（%1 px）で見ると、ページの中身が %2 px まで横にはみ出します（いちばんはみ出しているのは %3）。"
     "画像や表の幅を max-width: 100% などで画面に収めてください。"},
    // What only the whole site shows. A link to a place the target page does not have is an
    // error: the page opens, but not where the link promises.
    {CheckSentences::kOutsideSite,
     Level::Error,
     "%1 はサイトのフォルダの外にあります。公開しても送られないため、見られません。ファイルをサイトの中に"
     "移してください。"},
    {CheckSentences::kAnchorMissing,
     Level::Error,
     "リンク先 %2 に、id=\"%1\"（または <a name=\"%1\">）の場所がありません。ページは開きますが、その場所へは"
     "移りません。"},
    // Without a top page (index.html), a page no other page links to.
    {CheckSentences::kOrphanPage,
     Level::Hint,
     "このページには、ほかのページからのリンクがありません。見てほしいページなら、どこかからリンクしてください。",
     "%1="},
    {CheckSentences::kOrphanPage,
     Level::Hint,
     "このページには、トップページ %1 からたどれるリンクがありません。見てほしいページなら、どこかからリンク"
     "してください。"},
    {CheckSentences::kUnusedFile,
     Level::Hint,
     "このファイルは、どのページやスタイルシートからも使われていません。要らなければ消すと、公開が速くなります。"},
    {CheckSentences::kCharsetSaved,
     Level::Caution,
     "文字コードの宣言（%2）と、ファイルが実際に保存されている文字コード（%1）が違います。どちらかに揃えてください。"},
    {CheckSentences::kCharsetSite,
     Level::Caution,
     "このページは %1 で書かれていますが、サイトのほかのページの多くは %2 "
     "です。揃えておくと間違いが起きにくくなります。"},
    {CheckSentences::kTitleDuplicate,
     Level::Hint,
     "題名「%1」は %2 と同じです。検索結果やお気に入りで見分けられるよう、ページごとに違う題名にしてください。"},
    {CheckSentences::kTitleMissing,
     Level::Hint,
     "ページの題名 <title> がありません（または空です）。<head> の中に、ページの中身が分かる題名を書いてください。"},
    // %1: the address, %2: what happened.
    {CheckSentences::kExternalMissing,
     Level::Error,
     "リンク先 %1 のページはありません（%2）。アドレスが正しいか、移っていないか確かめてください。"},
    {CheckSentences::kExternalFailed,
     Level::Caution,
     "リンク先 %1 を確かめられませんでした（%2）。ブラウザで開けるか確かめてください。"},
    {CheckSentences::kExternalTimeout,
     Level::Hint,
     "リンク先 %1 から返事がありませんでした（%2）。混んでいるだけかもしれません。あとでもう一度確かめてください。"},
    {CheckSentences::kExternalRefused,
     Level::Caution,
     "リンク先 %1 は確かめませんでした（%2）。見に来た人のパソコンからは開けないかもしれません。"},
};

QList<CheckSentences::Condition> conditions(const char *when)
{
    QList<CheckSentences::Condition> list;
    for (const QString &part : QString::fromUtf8(when).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        // "%2=alt": the argument's number, how it is compared, the values.
        const bool prefix = part.at(2) == QLatin1Char('^');
        list.append({part.at(1).digitValue() - 1, part.mid(3).split(QLatin1Char('|')), prefix});
    }
    return list;
}

const QList<CheckSentences::Rule> &allRules()
{
    static const QList<CheckSentences::Rule> rules = [] {
        QList<CheckSentences::Rule> list;
        for (const Row &row : kRows)
            list.append({QByteArray(row.key), conditions(row.when), row.level, QString::fromUtf8(row.sentence)});
        return list;
    }();
    return rules;
}

// The rules of each key, in table order.
const QHash<QByteArray, QList<const CheckSentences::Rule *>> &byKey()
{
    static const QHash<QByteArray, QList<const CheckSentences::Rule *>> map = [] {
        QHash<QByteArray, QList<const CheckSentences::Rule *>> rules;
        for (const CheckSentences::Rule &rule : allRules())
            rules[rule.key].append(&rule);
        return rules;
    }();
    return map;
}

bool holds(const CheckSentences::Condition &condition, const QStringList &arguments)
{
    const QString argument = arguments.value(condition.argument);
    return std::any_of(condition.values.cbegin(), condition.values.cend(), [&](const QString &value) {
        return condition.prefix ? argument.startsWith(value, Qt::CaseInsensitive)
                                : argument.compare(value, Qt::CaseInsensitive) == 0;
    });
}

bool holds(const CheckSentences::Rule &rule, const QStringList &arguments)
{
    return std::all_of(rule.conditions.cbegin(), rule.conditions.cend(), [&](const CheckSentences::Condition &c) {
        return holds(c, arguments);
    });
}

// "b" of "<b>", "</b>" or "b".
QString bareName(QString name)
{
    name = name.trimmed();
    if (name.startsWith(QLatin1Char('<')))
        name.remove(0, 1);
    if (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    if (name.endsWith(QLatin1Char('>')))
        name.chop(1);
    return name;
}

// The sentence with its placeholders filled in, in one pass (an argument may itself hold "%2",
// as an address does); nullopt when it needs something the subject does not give.
std::optional<QString> fill(const QString &sentence, const CheckSentences::Subject &subject)
{
    QString out;
    out.reserve(sentence.size() + 32);
    for (qsizetype i = 0; i < sentence.size(); ++i) {
        const QChar c = sentence.at(i);
        const QChar next = i + 1 < sentence.size() ? sentence.at(i + 1) : QChar();
        if (c != QLatin1Char('%') || !(next.isDigit() || next == QLatin1Char('L') || next == QLatin1Char('E'))) {
            out.append(c);
            continue;
        }
        ++i;
        QString value;
        if (next == QLatin1Char('L')) {
            value = QString::number(subject.line);
        } else if (next == QLatin1Char('E')) {
            value = subject.element;
        } else {
            value = subject.arguments.value(next.digitValue() - 1).trimmed();
        }
        if (value.isEmpty())
            return std::nullopt;
        const bool inTag = (out.endsWith(QLatin1Char('<')) || out.endsWith(QLatin1String("</")))
            && i + 1 < sentence.size() && sentence.at(i + 1) == QLatin1Char('>');
        out += inTag ? bareName(value) : value;
    }
    return out;
}

} // namespace

namespace CheckSentences {

const QList<Rule> &rules()
{
    return allRules();
}

std::optional<Rule> find(const QByteArray &key, const QStringList &arguments)
{
    for (const Rule *rule : byKey().value(key)) {
        if (holds(*rule, arguments))
            return *rule;
    }
    return std::nullopt;
}

QList<QByteArray> keys()
{
    return byKey().keys();
}

QString sentence(const QByteArray &key, const Subject &subject, const QString &tidyText)
{
    if (const auto rule = find(key, subject.arguments)) {
        if (const auto filled = fill(rule->sentence, subject))
            return *filled;
    }
    return QStringLiteral("HTML の書き方を確かめてください（tidy の説明: %1）").arg(tidyText.trimmed());
}

CheckRow ownRow(const QByteArray &key, const QStringList &arguments, int line, int column)
{
    CheckRow row;
    row.level = find(key, arguments)->level;
    row.line = line;
    row.column = column;
    row.key = QString::fromLatin1(key);
    row.sentence = sentence(key, {arguments, line, {}}, {});
    return row;
}

QString continued(const QString &element, int line)
{
    return QStringLiteral("%1 行目の <%2> が、ここでも続いているものとして扱われます。")
        .arg(line)
        .arg(bareName(element));
}

QString inserted(const QString &element)
{
    return QStringLiteral("ページチェックは、ここに <%1> があるものとして続きを読みます。").arg(bareName(element));
}

bool isIgnored(const QByteArray &key)
{
    // The charset is checked against how the page will be saved, which tidy cannot know.
    static const QByteArray ignored[] = {"ENCODING_MISMATCH", "ADDED_MISSING_CHARSET", "PREVIOUS_LOCATION"};
    for (const QByteArray &k : ignored) {
        if (k == key)
            return true;
    }
    return false;
}

} // namespace CheckSentences
