#include "sitepages.h"

#include "benchbasics.h"
#include "common/cp932codec.h"

#include <QDir>
#include <QFile>

#include <array>
#include <optional>
#include <random>

namespace SitePages {

namespace {

constexpr int kPagesPerFolder = kPages / kFolders;
constexpr int kFoldersPerHalf = kFolders / 2;
// At most this many of each word in a page; pages with none of it are as many as those with one.
constexpr unsigned kMostWordsPerPage = 3;
// One page in this many holds 東事務所.
constexpr int kTrapEvery = 4;

// What a small shop's or a family's pages say, kanji, kana, full-width signs and half-width kana.
const std::array kSentences = {
    "ようこそ、わたしのホームページへ。",
    "このページでは、家族で営んでいる小さなパン屋の毎日をご紹介します。",
    "朝六時に店を開けて、焼きたてのパンをお届けしています。",
    "季節の果物を使ったケーキは、土曜日と日曜日だけの限定です。",
    "ご予約はお電話か、下のフォームからお願いいたします。",
    "駐車場は店の裏に三台分ございます。",
    "新しい写真を掲示板に載せました。ぜひご覧ください。",
    "夏休みの間は、営業時間が少し変わります。",
    "子どもたちと一緒に作った絵を、ギャラリーのページに並べました。",
    "犬の散歩の途中で見つけた花の名前を調べてみました。",
    "お問い合わせへのお返事には、二、三日いただくことがあります。",
    "地図の下に、最寄りの駅からの道順を書いておきました。",
    "先週の日曜日、近所の公園で小さな音楽会が開かれました。",
    "ホームページを作るのは初めてなので、読みにくいところがあったら教えてください。",
    "商品の価格はすべて税込みです。",
    "リンクはご自由にどうぞ。バナーはこちらをお使いください。",
    "ｶﾀｶﾅで書くと、昔のパソコンの画面のようで懐かしいですね。",
    "★今月のおすすめ★　抹茶のロールケーキ",
    "【お知らせ】　十二月三十一日から一月三日まではお休みです。",
    "価格：１個　２５０円（税込）",
    "この日記は、だいたい週に一度更新しています。",
    "雨の日は、お店の前に傘立てを出しています。",
    "去年の秋に植えた球根から、ようやく芽が出ました。",
    "パンの耳は、ご自由にお持ち帰りいただけます。",
};
const std::array kAsciiPlaces = {
    "型番 qzbenchword の部品は在庫があります。",
    "<a href=\"qzbenchword.html\">qzbenchword</a> のページもご覧ください。",
    "合言葉は「qzbenchword」です。",
};
const std::array kJapanesePlaces = {
    "お支払いは月末までにお願いします。",
    "月末の土曜日はお休みをいただきます。",
    "毎月、月末に新しい写真を載せています。",
};
const char *const kTrap = "東事務所は三月で閉まりました。";

// Each page's choices come from its own numbers, so the site is the same on every run and
// machine (std's distributions are not).
class PageChoices
{
public:
    explicit PageChoices(int page) : m_engine(std::uint32_t(page) * 2654435761u + 1) {}
    unsigned below(unsigned n) { return unsigned(m_engine() % n); }

private:
    std::mt19937 m_engine;
};

qsizetype byteSize(const QString &text, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return text.toUtf8().size();
    qsizetype bytes = 0;
    for (const QChar c : text)
        bytes += c.unicode() < 0x80 || (c.unicode() >= 0xff61 && c.unicode() <= 0xff9f) ? 1 : 2;
    return bytes;
}

QString paragraph(PageChoices &choices)
{
    QString text = QStringLiteral("<p>");
    for (unsigned n = 2 + choices.below(4); n > 0; --n)
        text += QString::fromUtf8(kSentences[choices.below(kSentences.size())]);
    return text + QStringLiteral("</p>");
}

// The page's lines: its head, its paragraphs of about kPageBytes in all, the words put into
// paragraphs chosen by its numbers, and its end.
QStringList pageLines(int page, Encoding encoding, bool trap)
{
    PageChoices choices(page);
    QStringList lines = headLines(QStringLiteral("小さなパン屋の日記 その%1").arg(page + 1), encoding);
    lines.append(QStringLiteral("<h1>小さなパン屋の日記 その%1</h1>").arg(page + 1));
    const qsizetype head = lines.size();
    qsizetype bytes = 0;
    while (bytes < kPageBytes) {
        lines.append(paragraph(choices));
        bytes += byteSize(lines.last(), encoding) + 2;
    }
    const qsizetype body = lines.size() - head;
    const auto putInto = [&](const QString &sentence) {
        QString &line = lines[head + qsizetype(choices.below(unsigned(body)))];
        line.insert(line.size() - 4, sentence); // before its </p>
    };
    for (unsigned n = choices.below(kMostWordsPerPage + 1); n > 0; --n)
        putInto(QString::fromUtf8(kAsciiPlaces[choices.below(kAsciiPlaces.size())]));
    for (unsigned n = choices.below(kMostWordsPerPage + 1); n > 0; --n)
        putInto(QString::fromUtf8(kJapanesePlaces[choices.below(kJapanesePlaces.size())]));
    if (trap)
        putInto(QString::fromUtf8(kTrap));
    lines.append(QStringLiteral("</body>"));
    lines.append(QStringLiteral("</html>"));
    return lines;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        bench::fail("cannot write a page of the site");
}

Half writeHalf(const QString &root, Encoding encoding)
{
    const bool shiftJis = encoding == Encoding::ShiftJis;
    // Windows' line ends in the Shift_JIS pages, which come from there; the UTF-8 ones have LF.
    const QString lineEnd = shiftJis ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const QByteArray japaneseBytes = encode(kJapaneseWord, encoding);
    Half half;
    half.encoding = encoding;
    for (int folder = 0; folder < kFoldersPerHalf; ++folder) {
        const QString path =
            QStringLiteral("%1/%2%3").arg(root, shiftJis ? "sjis" : "utf").arg(folder, 2, 10, QLatin1Char('0'));
        if (!QDir().mkpath(path))
            bench::fail("cannot make a folder of the site");
        half.folders.append(path);
        for (int n = 0; n < kPagesPerFolder; ++n) {
            const int page = (shiftJis ? 0 : kPages / 2) + folder * kPagesPerFolder + n;
            const QString text = pageLines(page, encoding, page % kTrapEvery == 0).join(lineEnd) + lineEnd;
            const QByteArray bytes = encode(text, encoding);
            const qsizetype japanese = text.count(kJapaneseWord);
            half.asciiMatches += text.count(kAsciiWord);
            half.japaneseMatches += japanese;
            if (bytes.count(japaneseBytes) > japanese)
                ++half.trapPages;
            half.pages.append(QStringLiteral("%1/page%2.html").arg(path).arg(n, 3, 10, QLatin1Char('0')));
            writeFile(half.pages.last(), bytes);
        }
    }
    return half;
}

} // namespace

QStringList headLines(const QString &title, Encoding encoding)
{
    const QString charset = encoding == Encoding::ShiftJis ? QStringLiteral("Shift_JIS") : QStringLiteral("UTF-8");
    return {
        QStringLiteral("<!DOCTYPE html>"),
        QStringLiteral("<html lang=\"ja\">"),
        QStringLiteral("<head>"),
        QStringLiteral("<meta charset=\"%1\">").arg(charset),
        QStringLiteral("<title>%1</title>").arg(title),
        QStringLiteral("</head>"),
        QStringLiteral("<body>"),
    };
}

Site write(const QString &root)
{
    return {root, writeHalf(root, Encoding::ShiftJis), writeHalf(root, Encoding::Utf8)};
}

QByteArray encode(const QString &text, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return text.toUtf8();
    std::optional<Cp932Codec::Unencodable> failure;
    QByteArray bytes = Cp932Codec::encode(text, {}, &failure);
    if (failure)
        bench::fail("a page of the site has a character Shift_JIS cannot hold");
    return bytes;
}

QString decode(const QByteArray &bytes, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? QString::fromUtf8(bytes) : Cp932Codec::decode(bytes).text;
}

} // namespace SitePages
