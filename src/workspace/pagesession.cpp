#include "workspace/pagesession.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

#include <optional>

namespace {

const QByteArray kSection = QByteArrayLiteral("[Session]");
const QByteArray kCurrent = QByteArrayLiteral("current");
const QByteArray kPage = QByteArrayLiteral("page");

// A path is written percent-encoded, so that any name (a line break, a '%', a blank at either
// end) reads back as it was; the slashes stay readable.
const QByteArray kPathKeeps = QByteArrayLiteral("/");

// kMostPages lines of a long path each, and no more.
constexpr qint64 kLargestFile = PageSession::kMostPages * 4096;
constexpr int kLargestNumber = 1'000'000'000;

std::optional<int> number(const QByteArray &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > kLargestNumber)
        return std::nullopt;
    return value;
}

// "caret,scroll,path"
std::optional<PageSession::Page> pageOf(const QByteArray &value)
{
    const qsizetype first = value.indexOf(',');
    const qsizetype second = first < 0 ? -1 : value.indexOf(',', first + 1);
    if (second < 0)
        return std::nullopt;
    const auto caret = number(value.left(first));
    const auto scroll = number(value.mid(first + 1, second - first - 1));
    const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(value.mid(second + 1)));
    if (!caret || !scroll || !path.startsWith(u'/'))
        return std::nullopt;
    return PageSession::Page{path, *caret, *scroll};
}

} // namespace

PageSession PageSession::parse(const QByteArray &text)
{
    PageSession session;
    std::optional<int> current;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (equals < 1)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == kCurrent) {
            current = number(value);
        } else if (key == kPage && session.pages.size() < kMostPages) {
            if (const auto page = pageOf(value))
                session.pages.append(*page);
        }
    }
    if (current && *current < session.pages.size())
        session.current = *current;
    return session;
}

QByteArray PageSession::toText() const
{
    QByteArray text = kSection + '\n' + kCurrent + '=' + QByteArray::number(current) + '\n';
    for (const Page &page : pages) {
        text += kPage + '=' + QByteArray::number(page.caret) + ',' + QByteArray::number(page.scroll) + ','
            + page.path.toUtf8().toPercentEncoding(kPathKeeps) + '\n';
    }
    return text;
}

PageSession PageSession::read(const QString &path)
{
    try {
        return parse(RegularFile::readAll(path, kLargestFile));
    } catch (const UserError &) {
        return {};
    }
}

void PageSession::write(const QString &path) const
{
    AtomicFile::write(path, toText());
}
