#include "sitecheckpages.h"

#include "benchbasics.h"
#include "sitepages.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>

#include <optional>

namespace SiteCheckPages {

namespace {

using SitePages::Encoding;

constexpr int kFoldersPerHalf = SitePages::kFolders / 2;
constexpr int kPagesPerFolder = SitePages::kPages / SitePages::kFolders;
constexpr int kPictures = 10;
// Every page's links stand in a block after its heading, from this line on; a fault in the
// block's fourth line.
constexpr int kNavLine = 9;
constexpr int kFaultLine = kNavLine + 3;
// The pages of each folder that hold a fault, by their number in it; one folder in this many
// also loses a picture.
constexpr int kBrokenAt = 7;
constexpr int kCaseAt = 17;
constexpr int kAnchorAt = 27;
constexpr int kMissingImageAt = 37;
constexpr int kMissingImageEvery = 4;

struct Folder
{
    QString name;
    Encoding encoding;
};

QList<Folder> pageFolders()
{
    QList<Folder> all;
    for (const auto &[prefix, encoding] : {std::pair("sjis", Encoding::ShiftJis), std::pair("utf", Encoding::Utf8)}) {
        for (int n = 0; n < kFoldersPerHalf; ++n)
            all.append({QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(n, 2, 10, QLatin1Char('0')), encoding});
    }
    return all;
}

QString pageName(int n)
{
    return QStringLiteral("page%1.html").arg(n % kPagesPerFolder, 3, 10, QLatin1Char('0'));
}

// The fault of page n of a folder (its number among the folders: folderIndex), if it has one.
std::optional<Fault> faultOf(const QString &folder, int folderIndex, int n)
{
    const QString page = folder + QLatin1Char('/') + pageName(n);
    const QString next = pageName(n + 1);
    switch (n) {
    case kBrokenAt: {
        const QString address = QStringLiteral("old-") + next;
        return Fault{FaultKind::BrokenLink, page, kFaultLine, address, address};
    }
    case kCaseAt:
        return Fault{FaultKind::LetterCase, page, kFaultLine, QStringLiteral("P") + next.mid(1), next};
    case kAnchorAt: {
        const QString id = QStringLiteral("section-%1").arg(folderIndex);
        return Fault{FaultKind::BrokenAnchor, page, kFaultLine, next + QLatin1Char('#') + id, id};
    }
    case kMissingImageAt:
        if (folderIndex % kMissingImageEvery == 0) {
            const QString address = QStringLiteral("../img/missing-%1.png").arg(folderIndex);
            return Fault{FaultKind::MissingImage, page, kFaultLine, address, address};
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

QString faultLine(const Fault &fault)
{
    if (fault.kind == FaultKind::MissingImage)
        return QStringLiteral("<p><img src=\"%1\" alt=\"新しい店の写真\" width=\"8\" height=\"8\"></p>")
            .arg(fault.address);
    return QStringLiteral("<p><a href=\"%1\">関連するページへ</a></p>").arg(fault.address);
}

// The block of links page n of its folder gets after its heading.
QStringList navLines(int n, int picture, const std::optional<Fault> &fault)
{
    const QString next = pageName(n + 1);
    QStringList lines = {
        QStringLiteral("<nav id=\"nav\">"),
        QStringLiteral("<p><a href=\"../index.html\">トップへ</a>　<a href=\"%1\">次のページへ</a>　"
                       "<a href=\"%1#nav\">次のページの案内へ</a></p>")
            .arg(next),
        QStringLiteral("<p><img src=\"../img/shop%1.png\" alt=\"店の写真\" width=\"8\" height=\"8\"></p>").arg(picture),
    };
    if (fault)
        lines.append(faultLine(*fault));
    lines.append(QStringLiteral("</nav>"));
    return lines;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        bench::fail("cannot read a page of the site");
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        bench::fail("cannot write a file of the site");
}

QString lineEndOf(Encoding encoding)
{
    // As the replace line's pages have them.
    return encoding == Encoding::ShiftJis ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

// Puts the block of links into a page the replace line's site wrote, after its heading.
void addNav(const QString &path, Encoding encoding, const QStringList &nav)
{
    QString text = SitePages::decode(readFile(path), encoding);
    const QString lineEnd = lineEndOf(encoding);
    const QString heading = QStringLiteral("</h1>") + lineEnd;
    const qsizetype at = text.indexOf(heading) + heading.size();
    if (at < heading.size() || text.left(at).count(QLatin1Char('\n')) + 1 != kNavLine)
        bench::fail("a page of the replace line's site does not have its heading where the check line puts links");
    text.insert(at, nav.join(lineEnd) + lineEnd);
    writeFile(path, SitePages::encode(text, encoding));
}

QString smallPage(const QString &title, const QStringList &body, Encoding encoding)
{
    QStringList lines = SitePages::headLines(title, encoding);
    lines += body;
    lines += {QStringLiteral("</body>"), QStringLiteral("</html>")};
    const QString lineEnd = lineEndOf(encoding);
    return lines.join(lineEnd) + lineEnd;
}

// The page the replace line's pages link to by its word, one in each folder.
void writeWordPage(const QString &root, const Folder &folder)
{
    const QString title = QStringLiteral("qzbenchword の部品（%1）").arg(folder.name);
    const QString text = smallPage(
        title,
        {QStringLiteral("<h1>%1</h1>").arg(title), QStringLiteral("<p><a href=\"../index.html\">トップへ</a></p>")},
        folder.encoding);
    writeFile(QStringLiteral("%1/%2/qzbenchword.html").arg(root, folder.name),
              SitePages::encode(text, folder.encoding));
}

void writeTopPage(const QString &root, const QStringList &pages)
{
    QStringList body = {QStringLiteral("<h1>小さなパン屋の日記</h1>"), QStringLiteral("<ul>")};
    for (const QString &page : pages)
        body.append(QStringLiteral("<li><a href=\"%1\">%1</a></li>").arg(page));
    body.append(QStringLiteral("</ul>"));
    const QString text = smallPage(QStringLiteral("小さなパン屋の日記"), body, Encoding::Utf8);
    writeFile(root + QStringLiteral("/index.html"), text.toUtf8());
}

void writePictures(const QString &root)
{
    if (!QDir().mkpath(root + QStringLiteral("/img")))
        bench::fail("cannot make the site's picture folder");
    for (int n = 0; n < kPictures; ++n) {
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(n * 36, 160, 220));
        if (!picture.save(QStringLiteral("%1/img/shop%2.png").arg(root).arg(n), "PNG"))
            bench::fail("cannot write a picture of the site");
    }
}

} // namespace

QList<Fault> faults()
{
    QList<Fault> planted;
    const QList<Folder> all = pageFolders();
    for (qsizetype f = 0; f < all.size(); ++f) {
        for (int n = 0; n < kPagesPerFolder; ++n) {
            if (const std::optional<Fault> fault = faultOf(all.at(f).name, int(f), n))
                planted.append(*fault);
        }
    }
    return planted;
}

const Fault &mendedFault()
{
    static const Fault mended = *faultOf(pageFolders().first().name, 0, kBrokenAt);
    return mended;
}

QString mendedAddress()
{
    return pageName(kBrokenAt + 1);
}

QStringList write(const QString &root)
{
    const SitePages::Site site = SitePages::write(root);
    const QList<Folder> all = pageFolders();
    QStringList pages;
    for (qsizetype f = 0; f < all.size(); ++f) {
        const Folder &folder = all.at(f);
        const SitePages::Half &half = folder.encoding == Encoding::ShiftJis ? site.shiftJis : site.utf8;
        for (int n = 0; n < kPagesPerFolder; ++n) {
            const QString path = half.pages.at((f % kFoldersPerHalf) * kPagesPerFolder + n);
            const QString page = folder.name + QLatin1Char('/') + pageName(n);
            if (path != root + QLatin1Char('/') + page)
                bench::fail("the replace line's site is not laid out as the check line expects");
            addNav(path, folder.encoding, navLines(n, n % kPictures, faultOf(folder.name, int(f), n)));
            pages.append(page);
        }
        writeWordPage(root, folder);
    }
    writeTopPage(root, pages);
    writePictures(root);
    return pages;
}

QStringList folders(const QString &root)
{
    QStringList all = {root, root + QStringLiteral("/img")};
    for (const Folder &folder : pageFolders())
        all.append(root + QLatin1Char('/') + folder.name);
    return all;
}

} // namespace SiteCheckPages
