#include "benchpage.h"

#include "benchbasics.h"

#include <QDir>
#include <QFile>

#include <iconv.h>

namespace BenchPage {

// Markup with attributes, Japanese prose with kanji and kana, half-width kana, a character
// reference, CR LF line ends.
QByteArray make(qsizetype size)
{
    const QByteArray line =
        QByteArray("<p class=\"text\">")
        + QByteArray(
            "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x79\x81\x5b\x83\x57\x82\xc5\x82\xb7\x81\x42") // 日本語のページです。
        + QByteArray(" <b>\xb6\xc0\xb6\xc5</b> &amp; ")                                         // ｶﾀｶﾅ
        + QByteArray("\x81\x9a\x8e\x71\x82\xc7\x82\xe0\x82\xcc\x8a\x47</p>\r\n");               // ★子どもの絵
    QByteArray page = "<!DOCTYPE html>\r\n<html><head><title>bench</title></head><body>\r\n";
    while (page.size() < size)
        page += line;
    page += "</body></html>\r\n";
    return page;
}

void write(const QString &path, qsizetype size)
{
    QFile file(path);
    const QByteArray page = make(size);
    if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size())
        bench::fail("cannot write a page");
}

void writeMany(const QString &folder, int count, qsizetype size)
{
    for (int i = 1; i <= count; ++i)
        write(QDir(folder).filePath(QStringLiteral("page%1.htm").arg(i, 2, 10, QLatin1Char('0'))), size);
}

QStringList pathsIn(const QString &folder)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString &name : dir.entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

QString floorDecode(const QByteArray &in)
{
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    QByteArray out(in.size() * 2 + 16, Qt::Uninitialized);
    char *inPtr = const_cast<char *>(in.constData());
    size_t inLeft = size_t(in.size());
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());
    iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    QString text(reinterpret_cast<const QChar *>(out.constData()), (out.size() - qsizetype(outLeft)) / 2);
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace BenchPage
