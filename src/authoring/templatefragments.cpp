#include "authoring/templatefragments.h"

namespace TemplateFragments {

namespace {

constexpr Row kStyleRows[] = {
    {0,
     Placement::Head, // N36 基本形
     u"\r\n<STYLE type=\"text/css\">\r\n <!--\r\n  /* ここにスタイル定義を記述する */\r\n -->\r\n</STYLE>\r\n"},
    {1,
     Placement::Head, // mnuStyle リンク読込
     u"\r\n<LINK rel=stylesheet href=\"QZ.css\" type=\"text/css\">\r\n"},
};

constexpr Row kScriptRows[] = {
    {0,
     Placement::Head, // JAVA1 java基本形
     u"\r\n<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!--\r\n//-->\r\n</SCRIPT>\r\n"},
    {1,
     Placement::Caret, // N37 太字に変える
     u"<p onMouseover=\"this.style.fontWeight='bold'\" onMouseout=\"this.style.fontWeight='normal'\">QZtitle</p>"},
    {2,
     Placement::Caret, // N18 ﾏｳｽ反転
     u"<span onmouseover=\"this.style.background='pink';\" onmouseout=\"this.style.background='#ffffff';\">\r\n"
     u"<a href=\"http://ここにURLを入れてね\">ｼﾞｬﾝﾌﾟ先</a>\r\n"
     u"</span>"},
    {3,
     Placement::Caret, // N38 解説表示
     u"<div onmouseover=\"com1.style.visibility='visible'\" onmouseout=\"com1.style.visibility='hidden'\">"
     u"アイリーン＝アドラー</div>\r\n"
     u"<p class=\"comment\" id=\"com1\" style=\"visibility:hidden\">"
     u"　女性に興味を持たない名探偵ホームズが、生涯で<br>　ただひとりその能力を認め、尊敬した女性</p>"},
    {4,
     Placement::Head, // SRC1 SRC読込
     u"\r\n<SCRIPT LANGUAGE=\"JavaScript\" SRC=\"QZ.js\">\r\n<!--\r\n//-->\r\n</SCRIPT>\r\n"},
};

constexpr Row kFormRows[] = {
    {0,
     Placement::Caret, // mnuForm メール: the action is written without quotes
     u"<form action=mailto:ここにメールアドレスをいれてね method=\"post\" enctype=\"text/plain\">",
     true},
    {1,
     Placement::Caret, // CGI1 CGI
     u"<form action=\"kekka.cgi\" method=\"post\">",
     true},
    {2,
     Placement::Caret, // N31 ﾃｷｽﾄﾎﾞｯｸｽ
     u"<input type=\"text\" name=\"name\">"},
    {3,
     Placement::Caret, // N32 複数行ﾃｷｽﾄﾎﾞｯｸｽ
     u"<textarea name=\"name\" rows=\"5\" cols=\"30\"></textarea>"},
    {4,
     Placement::Caret, // N33 ﾗｼﾞｵﾎﾞﾀﾝ
     u"<input type=\"radio\" name=\"ラジオ\" value=\"送信する値\">男\r\n"
     u"<input type=\"radio\" name=\"ラジオ\" value=\"送信する値\">女"},
    {5,
     Placement::Caret, // N34 ﾁｪｯｸﾎﾞｯｸｽ
     u"<input type=\"checkbox\" name=\"チェック\" value=\"送信する値\">ruz職員\r\n"
     u"<input type=\"checkbox\" name=\"チェック\" value=\"送信する値\">市町村職員"},
    {6,
     Placement::Caret, // N35 ｺﾝﾎﾞﾎﾞｯｸｽ
     u"<select name=\"name\">\r\n"
     u" <option value=\"コンボ１\">選択肢1\r\n"
     u" <option value=\"コンボ２\">選択肢2\r\n"
     u" <option value=\"コンボ３\">選択肢3\r\n"
     u"</select>"},
};

// The body shared by the two questionnaire forms, down to the end of the form.
constexpr const char16_t *kQuestionnaire =
    u"最も印象に残った講義は？<BR>\r\n"
    u"<input type=\"hidden\" name=\"アンケート結果\" value=\"\">"
    u"<input type=\"radio\" name=\"KOGI\" value=\"LANの仕組み\">LANの仕組み<br>\r\n"
    u"<input type=\"radio\" name=\"KOGI\" value=\"著作権\">著作権<br>\r\n"
    u"<input type=\"radio\" name=\"KOGI\" value=\"ﾎｰﾑﾍﾟｰｼﾞ作成\">ﾎｰﾑﾍﾟｰｼﾞ作成<br>\r\n"
    u"<p>自由意見<br>\r\n"
    u"<textarea name=\"MESSAGE\" rows=\"10\" cols=\"40\">\r\n"
    u"</textarea></p>\r\n"
    u"<input type=\"submit\" value=\"送信\">\r\n"
    u"<input type=\"reset\" value=\"取消\">\r\n"
    u"</form>";

} // namespace

constexpr TagTable<Row> kStyleTable(kStyleRows);
constexpr TagTable<Row> kScriptTable(kScriptRows);
constexpr TagTable<Row> kFormTable(kFormRows);

const Row *styleRow(int tag)
{
    return kStyleTable.find(tag);
}

const Row *scriptRow(int tag)
{
    return kScriptTable.find(tag);
}

const Row *formRow(int tag)
{
    return kFormTable.find(tag);
}

QString text(const Row &row)
{
    QString out = QString::fromUtf16(row.text);
    if (row.questionnaire)
        out += QString::fromUtf16(kQuestionnaire);
    return out;
}

qsizetype headInsertionPoint(const QString &documentText)
{
    return documentText.indexOf(QLatin1String("</head>"), 0, Qt::CaseSensitive);
}

QString missingHeadMessage()
{
    return QStringLiteral("まず、メニューから\r\n\r\n[ファイル]－[基本形＜初期化＞]を選択してください");
}

} // namespace TemplateFragments
