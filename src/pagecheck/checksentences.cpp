#include "pagecheck/checksentences.h"

#include <QHash>

namespace {

using Level = CheckRow::Level;

struct Row
{
    const char *key;
    Level level;
    const char *sentence;
};

// Elements and attributes the program's own commands write (<font>, <center>, align=…) are
// reported by tidy as old or not allowed in HTML5; they still work everywhere, so those keys are
// hints and never errors.
constexpr Row kRows[] = {
    // Tags opened and closed wrongly.
    {"MISSING_ENDTAG_FOR", Level::Error, "閉じタグ %1 がありません（閉じ忘れ）。閉じるべき所に書いてください。"},
    {"MISSING_ENDTAG_BEFORE",
     Level::Error,
     "%1 を閉じる前に次のタグが始まっています。閉じタグの位置を確かめてください。"},
    {"NON_MATCHING_ENDTAG",
     Level::Error,
     "閉じタグ %1 の順番が入れ違っています。後から開いたタグから先に閉じてください。"},
    {"DISCARDING_UNEXPECTED", Level::Error, "開始タグのない閉じタグ %1 があります。消すか、開始タグを書いてください。"},
    {"UNEXPECTED_ENDTAG", Level::Error, "開始タグのない閉じタグ %1 があります。消すか、開始タグを書いてください。"},
    {"UNEXPECTED_ENDTAG_IN",
     Level::Error,
     "ここにあるはずのない閉じタグ %1 があります。開始タグとの対応を確かめてください。"},
    {"UNEXPECTED_ENDTAG_ERR", Level::Error, "開始タグのない閉じタグ %1 があります。消すか、開始タグを書いてください。"},
    {"MISSING_STARTTAG",
     Level::Caution,
     "%1 の開始タグがありません。タグの外に文字があるときは、その文字の位置を確かめてください。"},
    {"COERCE_TO_ENDTAG", Level::Error, "%1 は閉じタグのつもりではありませんか。閉じタグは </ で始めます。"},
    {"NESTED_EMPHASIS", Level::Caution, "%1 の中に同じ %1 が重なっています。閉じ忘れではありませんか。"},
    {"ILLEGAL_NESTING", Level::Error, "%1 をこの中に入れることはできません。タグの入れ方を確かめてください。"},
    {"CANT_BE_NESTED", Level::Error, "%1 の中に同じ %1 は入れられません。閉じ忘れではありませんか。"},
    {"TAG_NOT_ALLOWED_IN", Level::Error, "%1 はこの場所には書けません。書く場所を確かめてください。"},
    {"INSERTING_TAG",
     Level::Caution,
     "タグが足りないため、ブラウザーが %1 を補って表示します。タグの対応を確かめてください。"},
    {"MISSING_ENDTAG_OPTIONAL", Level::Hint, "%1 の閉じタグは省略できますが、書いておくと分かりやすくなります。"},
    {"TRIM_EMPTY_ELEMENT", Level::Hint, "中身のない %1 があります。要らなければ消してください。"},
    {"ELEMENT_NOT_EMPTY", Level::Error, "%1 には中身を入れられません。"},
    {"UNKNOWN_ELEMENT", Level::Error, "%1 という名前のタグはありません。つづりを確かめてください。"},
    {"UNKNOWN_ELEMENT_LOOKS_CUSTOM", Level::Caution, "%1 という名前のタグはありません。つづりを確かめてください。"},
    {"CUSTOM_TAG_DETECTED", Level::Hint, "%1 は自分で名前を付けたタグとして扱われます。"},
    {"CONTENT_AFTER_BODY", Level::Caution, "</body> の後ろに中身があります。</body> の前に移してください。"},
    {"DOCTYPE_AFTER_TAGS", Level::Error, "<!DOCTYPE> はページの一番最初に書いてください。"},
    {"MISSING_DOCTYPE",
     Level::Caution,
     "ページの最初に <!DOCTYPE html> がありません。書いておくとブラウザーが正しく表示します。"},
    {"MALFORMED_DOCTYPE", Level::Error, "<!DOCTYPE> の書き方が正しくありません。"},
    {"MISSING_TITLE_ELEMENT", Level::Error, "ページの題名 <title> がありません。<head> の中に書いてください。"},
    {"TOO_MANY_ELEMENTS", Level::Error, "%1 が二つ以上あります。一つにしてください。"},
    {"TOO_MANY_ELEMENTS_IN", Level::Error, "%1 が二つ以上あります。一つにしてください。"},
    {"DUPLICATE_FRAMESET", Level::Error, "<frameset> が二つ以上あります。"},
    {"NOFRAMES_CONTENT", Level::Caution, "<noframes> の中身の書き方を確かめてください。"},
    {"MOVED_STYLE_TO_HEAD", Level::Caution, "<style> は <head> の中に書いてください。"},
    {"FOUND_STYLE_IN_BODY", Level::Caution, "<style> は <head> の中に書いてください。"},
    {"REPLACING_ELEMENT", Level::Caution, "%1 の書き方が正しくないため、ブラウザーが別のタグとして扱います。"},
    {"REPLACING_UNEX_ELEMENT", Level::Caution, "%1 の書き方が正しくないため、ブラウザーが別のタグとして扱います。"},
    {"USING_BR_INPLACE_OF", Level::Caution, "%1 は改行 <br> として扱われます。"},
    {"MISSING_IMAGEMAP", Level::Caution, "%1 に usemap を付けると、クリックできる画像になります。"},
    // Attributes.
    {"MISSING_ATTRIBUTE",
     Level::Error,
     "%1 に %2 属性がありません。画像なら alt=\"…\" に画像の説明 (alt) を書いてください。"},
    {"MISSING_QUOTEMARK",
     Level::Error,
     "%1 の属性の値の引用符 (\") が閉じられていません。値の終わりに \" を書いてください。"},
    {"MISSING_QUOTEMARK_OPEN", Level::Error, "%1 の属性の値の始めに引用符 (\") がありません。"},
    {"SUSPECTED_MISSING_QUOTE",
     Level::Error,
     "引用符 (\") が閉じられていないようです。属性の値の終わりを確かめてください。"},
    {"UNEXPECTED_QUOTEMARK", Level::Error, "%1 の中に余分な引用符 (\") があります。"},
    {"UNEXPECTED_GT", Level::Error, "%1 の終わりの > がありません。"},
    {"UNEXPECTED_EQUALSIGN", Level::Error, "%1 の中に余分な = があります。"},
    {"UNEXPECTED_END_OF_FILE",
     Level::Error,
     "%1 の途中でページが終わっています。> や引用符の閉じ忘れを確かめてください。"},
    {"UNEXPECTED_END_OF_FILE_ATTR",
     Level::Error,
     "%1 の属性の途中でページが終わっています。引用符の閉じ忘れを確かめてください。"},
    {"MISSING_ATTR_VALUE", Level::Error, "%1 の属性に値がありません。"},
    {"REPEATED_ATTRIBUTE", Level::Error, "%1 に同じ属性が二回書かれています。一つにしてください。"},
    {"JOINING_ATTRIBUTE", Level::Caution, "%1 に同じ属性が二回書かれています。一つにしてください。"},
    {"BAD_ATTRIBUTE_VALUE", Level::Error, "%1 の属性の値が正しくありません。"},
    {"BAD_ATTRIBUTE_VALUE_REPLACED", Level::Caution, "%1 の属性の値が正しくありません。"},
    {"ATTRIBUTE_VALUE_REPLACED", Level::Caution, "%1 の属性の値が正しくありません。"},
    {"INVALID_ATTRIBUTE", Level::Error, "%1 の属性の名前が正しくありません。つづりを確かめてください。"},
    {"ATTRIBUTE_IS_NOT_ALLOWED", Level::Caution, "%1 にはこの属性を書けません。"},
    {"ATTR_VALUE_NOT_LCASE", Level::Hint, "%1 の属性の値は小文字で書くのが普通です。"},
    {"INSERTING_AUTO_ATTRIBUTE", Level::Hint, "%1 に属性が補われます。"},
    {"ANCHOR_NOT_UNIQUE",
     Level::Error,
     "同じ id（名前）「%2」がページの中に二つ以上あります。別々の名前にしてください。"},
    {"ID_NAME_MISMATCH", Level::Caution, "%1 の id と name が違います。同じ名前にしてください。"},
    {"INVALID_XML_ID", Level::Caution, "%1 の id の名前に使えない文字があります。"},
    {"XML_ID_SYNTAX", Level::Caution, "%1 の id の名前に使えない文字があります。"},
    {"MISMATCHED_ATTRIBUTE_ERROR", Level::Caution, "%1 にはこの属性を書けません。"},
    // Old or vendor-specific markup the program itself may write: it still works.
    {"MISMATCHED_ATTRIBUTE_WARN", Level::Hint, "%1 のこの属性は古い書き方ですが、今のブラウザーでも表示されます。"},
    {"PROPRIETARY_ATTRIBUTE", Level::Hint, "%1 のこの属性は一部のブラウザーだけのものです。"},
    {"PROPRIETARY_ATTR_VALUE", Level::Hint, "%1 の属性の値は一部のブラウザーだけのものです。"},
    {"PROPRIETARY_ELEMENT", Level::Hint, "%1 は一部のブラウザーだけのタグです。"},
    {"REMOVED_HTML5", Level::Hint, "%1 は古い書き方ですが、今のブラウザーでも表示されます。"},
    {"OBSOLETE_ELEMENT", Level::Hint, "%1 は古い書き方ですが、今のブラウザーでも表示されます。"},
    {"ELEMENT_VERS_MISMATCH_WARN", Level::Hint, "%1 は古い書き方ですが、今のブラウザーでも表示されます。"},
    {"ELEMENT_VERS_MISMATCH_ERROR", Level::Hint, "%1 は古い書き方ですが、今のブラウザーでも表示されます。"},
    {"BAD_SUMMARY_HTML5", Level::Hint, "表の summary 属性は古い書き方です。"},
    // Characters, entities and addresses.
    {"UNESCAPED_AMPERSAND", Level::Caution, "& はそのままでは書けません。&amp; と書いてください。"},
    {"UNKNOWN_ENTITY", Level::Caution, "%1 という文字の書き方（&…;）はありません。& だけなら &amp; と書いてください。"},
    {"MISSING_SEMICOLON", Level::Caution, "%1 の終わりに ; がありません。"},
    {"MISSING_SEMICOLON_NCR", Level::Caution, "%1 の終わりに ; がありません。"},
    {"APOS_UNDEFINED", Level::Hint, "&apos; は古いブラウザーで表示されないことがあります。&#39; と書いてください。"},
    {"INVALID_SGML_CHARS", Level::Error, "ページに表示できない制御文字が入っています。"},
    {"INVALID_NCR", Level::Error, "文字番号（&#…;）の書き方が正しくありません。"},
    {"INVALID_UTF8", Level::Error, "文字が正しく読めない所があります。"},
    {"VENDOR_SPECIFIC_CHARS", Level::Caution, "特定のパソコンでしか表示されない文字が入っています。"},
    {"BACKSLASH_IN_URI", Level::Error, "アドレスに \\ が入っています。/ を使ってください。"},
    {"FIXED_BACKSLASH", Level::Error, "アドレスに \\ が入っています。/ を使ってください。"},
    {"ILLEGAL_URI_REFERENCE", Level::Caution, "アドレスに使えない文字が入っています。"},
    {"ILLEGAL_URI_CODEPOINT", Level::Caution, "アドレスに使えない文字が入っています。"},
    {"ESCAPED_ILLEGAL_URI", Level::Caution, "アドレスに使えない文字が入っています。"},
    {"WHITE_IN_URI", Level::Caution, "アドレスに空白が入っています。空白のない名前にしてください。"},
    {"NEWLINE_IN_URI", Level::Error, "アドレスの途中で改行しています。"},
    {"MALFORMED_COMMENT", Level::Caution, "コメント <!-- --> の書き方が正しくありません。"},
    {"MALFORMED_COMMENT_DROPPING", Level::Caution, "コメント <!-- --> の書き方が正しくありません。"},
    {"MALFORMED_COMMENT_EOS", Level::Error, "コメント <!-- の終わり --> がありません。"},
    {"MALFORMED_COMMENT_WARN", Level::Caution, "コメント <!-- --> の書き方が正しくありません。"},
    {"BAD_CDATA_CONTENT", Level::Caution, "<script> や <style> の中に閉じタグのような文字があります。"},
    {"STRING_CONTENT_LOOKS", Level::Hint, "この書き方でよいか確かめてください。"},
    {"XML_DECLARATION_DETECTED", Level::Hint, "<?xml …?> は普通のページには要りません。"},
    {"SPACE_PRECEDING_XMLDECL", Level::Caution, "<?xml …?> の前に空白があります。"},
    // Our own checks.
    {CheckSentences::kCharsetMissing,
     Level::Error,
     "文字コードの宣言がありません。<head> の中に <meta charset=\"%1\"> "
     "を書いてください（書かないと文字化けすることがあります）。"},
    {CheckSentences::kCharsetMismatch,
     Level::Error,
     "文字コードの宣言が保存する文字コード（%1）と違います。宣言を直さないと文字化けします。"},
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
};

const QHash<QByteArray, CheckSentences::Entry> &table()
{
    static const QHash<QByteArray, CheckSentences::Entry> entries = [] {
        QHash<QByteArray, CheckSentences::Entry> map;
        for (const Row &row : kRows)
            map.insert(QByteArray(row.key), {row.level, QString::fromUtf8(row.sentence)});
        return map;
    }();
    return entries;
}

} // namespace

namespace CheckSentences {

std::optional<Entry> find(const QByteArray &key)
{
    const auto it = table().constFind(key);
    if (it == table().cend())
        return std::nullopt;
    return *it;
}

QList<QByteArray> keys()
{
    return table().keys();
}

QString sentence(const QByteArray &key, const QString &subject, const QString &tidyText, const QString &detail)
{
    if (const auto entry = find(key)) {
        const QString fill = subject.isEmpty() ? QStringLiteral("タグ") : subject;
        return QString(entry->sentence)
            .replace(QLatin1String("%1"), fill)
            .replace(QLatin1String("%2"), detail.isEmpty() ? QStringLiteral("必要な") : detail);
    }
    return QStringLiteral("HTML の書き方を確かめてください（tidy の説明: %1）").arg(tidyText.trimmed());
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
