#include "app/windowplacement.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

#include <QHash>
#include <QList>

namespace {

const QByteArray kSection = QByteArrayLiteral("[MainWindow]");
const char *const kX = "x";
const char *const kY = "y";
const char *const kWidth = "width";
const char *const kHeight = "height";
const char *const kMaximized = "maximized";
const char *const kEditorHeight = "editorHeight";

// A few lines of numbers; anything much longer is not a file this program wrote.
constexpr qint64 kLargestFile = 4096;
// Far beyond any desktop, and small enough that rectangle arithmetic cannot overflow.
constexpr int kLargestCoordinate = 1'000'000;

// The part of the window's top that must lie on a screen so that the user can still grab the
// title bar and reach the menu.
constexpr int kReachableWidth = 100;
constexpr int kReachableHeight = 30;

std::optional<int> number(const QHash<QByteArray, QByteArray> &values, const char *key)
{
    const auto it = values.constFind(QByteArray(key));
    if (it == values.constEnd())
        return std::nullopt;
    bool ok = false;
    const int value = it->toInt(&ok);
    if (!ok || value < -kLargestCoordinate || value > kLargestCoordinate)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<WindowPlacement> WindowPlacement::parse(const QByteArray &text)
{
    QHash<QByteArray, QByteArray> values;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.isEmpty() || line.startsWith('[') || line.startsWith(';') || line.startsWith('#') || equals < 1)
            continue;
        values.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    const auto x = number(values, kX);
    const auto y = number(values, kY);
    const auto width = number(values, kWidth);
    const auto height = number(values, kHeight);
    const auto editorHeight = number(values, kEditorHeight);
    const QByteArray maximized = values.value(QByteArray(kMaximized));
    if (!x || !y || !width || !height || !editorHeight || (maximized != "true" && maximized != "false"))
        return std::nullopt;
    WindowPlacement placement;
    placement.geometry = QRect(*x, *y, *width, *height);
    placement.maximized = maximized == "true";
    placement.editorHeight = *editorHeight;
    return placement;
}

QByteArray WindowPlacement::toText() const
{
    QByteArray text = kSection + '\n';
    const auto line = [&text](const char *key, const QByteArray &value) { text += key + ('=' + value) + '\n'; };
    line(kX, QByteArray::number(geometry.x()));
    line(kY, QByteArray::number(geometry.y()));
    line(kWidth, QByteArray::number(geometry.width()));
    line(kHeight, QByteArray::number(geometry.height()));
    line(kMaximized, maximized ? "true" : "false");
    line(kEditorHeight, QByteArray::number(editorHeight));
    return text;
}

std::optional<WindowPlacement> WindowPlacement::read(const QString &path)
{
    // Only a small plain file; anything else (a pipe left in its place would wait for a writer
    // forever) is as good as none.
    try {
        return parse(RegularFile::readAll(path, kLargestFile));
    } catch (const UserError &) {
        return std::nullopt;
    }
}

void WindowPlacement::write(const QString &path) const
{
    AtomicFile::write(path, toText());
}

bool WindowPlacement::fits(const QList<QRect> &screens, QSize minimum) const
{
    if (geometry.width() < minimum.width() || geometry.height() < minimum.height())
        return false;
    QRect desktop;
    for (const QRect &screen : screens)
        desktop |= screen;
    if (geometry.width() > desktop.width() || geometry.height() > desktop.height())
        return false;
    // A maximised window's editor was sized inside the whole screen, not the normal geometry.
    const int tallest = maximized ? desktop.height() : geometry.height();
    if (editorHeight < 1 || editorHeight >= tallest)
        return false;
    const QRect top(geometry.topLeft(), QSize(geometry.width(), kReachableHeight));
    for (const QRect &screen : screens) {
        const QRect reachable = screen.intersected(top);
        if (reachable.width() >= qMin(kReachableWidth, geometry.width()) && reachable.height() == kReachableHeight)
            return true;
    }
    return false;
}
