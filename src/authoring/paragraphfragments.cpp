#include "authoring/paragraphfragments.h"

namespace ParagraphFragments {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// The samples indent with full-width spaces (U+3000), as a Japanese page author would.
constexpr Row kRows[] = {
    {0, Shape::Append, u"<br>", u"", u"", u""},               // mnuKaigyo 改行
    {1, Shape::Append, u"<br clear=\"all\">", u"", u"", u""}, // mnuBRCansel 回り込み解除
    {2,
     Shape::Wrap,
     u"<p>\r\n",
     u"",
     u"\r\n</p>", // N11 前後に空行(p)
     u"<p>これは段落です。前後に空行が入ります。</p>"},
    {3,
     Shape::Wrap,
     u"<div>\r\n",
     u"",
     u"\r\n</div>", // N12 前後に空行なし(div)
     u"<div>これは段落です。前後に空行が入りません。</div>"},
    {4,
     Shape::Sample,
     u"",
     u"",
     u"", // N13 ﾘｽﾄ番号(ol)
     u"\u3000<ol>番号付きリスト\r\n\u3000\u3000<li>リスト１\r\n\u3000\u3000<li>リスト２\r\n\u3000</ol>"},
    {5,
     Shape::Sample,
     u"",
     u"",
     u"", // N14 ﾘｽﾄ記号(ul)
     u"\u3000<ul>記号付きリスト\r\n\u3000\u3000<li>リスト１\r\n\u3000\u3000<li>リスト２\r\n\u3000</ul>"},
    {6,
     Shape::TermAndRest,
     u"<dl>\r\n\u3000<dt>",
     u"\r\n\u3000<dd>",
     u"\r\n</dl>", // N15 単語定義
     u"<dl>\r\n\u3000<dt>ＨＴＭＬとは\r\n\u3000<dd>"
     u"WWW上に配信するファイルを作成するために使われるプログラム言語の一種です\r\n</dl>"},
    {7,
     Shape::TermAndRest,
     u"",
     u"<blockquote>\r\n",
     u"\r\n</blockquote>", // N16 引用文
     u"引用文のタイトル<blockquote>これは引用文です。前後に空行が入ります。\r\n\u3000\u3000</blockquote>"},
};

bool isTrimmed(QChar c)
{
    return c.unicode() <= 32;
}

QString trimControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString body(const Row &row, const QString &selection)
{
    const QString lead = QString::fromUtf16(row.lead);
    const QString tail = QString::fromUtf16(row.tail);
    const QString sample = QString::fromUtf16(row.sample);
    switch (row.shape) {
    case Shape::Append:
        return selection + lead;
    case Shape::Wrap:
        return selection.isEmpty() ? sample : lead + selection + tail;
    case Shape::Sample:
        return sample;
    case Shape::TermAndRest: {
        const FirstLineAndRest parts = splitFirstLine(selection);
        if (parts.firstLine.isEmpty())
            return sample;
        return lead + parts.firstLine + QString::fromUtf16(row.middle) + parts.rest + tail;
    }
    }
    return {};
}

} // namespace

constexpr TagTable<Row> kTable(kRows);

FirstLineAndRest splitFirstLine(const QString &selection)
{
    const QString trimmed = trimControls(selection);
    const qsizetype cr = trimmed.indexOf(QLatin1Char('\r'));
    if (cr < 0)
        return {};
    qsizetype restStart = cr + 1;
    while (restStart < trimmed.size()
           && (trimmed.at(restStart) == QLatin1Char('\r') || trimmed.at(restStart) == QLatin1Char('\n')))
        ++restStart;
    return {trimmed.left(cr), trimmed.mid(restStart)};
}

const Row *row(int tag)
{
    return kTable.find(tag);
}

QString build(const Row &row, const QString &selection)
{
    return body(row, selection) + kLineEnd;
}

} // namespace ParagraphFragments
