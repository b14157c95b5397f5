#include "app/sitepaneloptions.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

namespace {

const QByteArray kSection = QByteArrayLiteral("[SitePanel]");
const QByteArray kShown = QByteArrayLiteral("shown");
const QByteArray kHiddenFiles = QByteArrayLiteral("hiddenFiles");
const QByteArray kOpenedFolder = QByteArrayLiteral("openedFolder");

// A few short lines; anything much longer is not a file this program wrote.
constexpr qint64 kLargestFile = 16384;

QByteArray flag(bool on)
{
    return on ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
}

} // namespace

SitePanelOptions SitePanelOptions::parse(const QByteArray &text)
{
    SitePanelOptions options;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        const qsizetype equals = line.indexOf('=');
        if (equals < 1)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        // A folder's name may begin or end with a blank: the value is taken as it stands.
        const QByteArray value = line.mid(equals + 1);
        if (key == kOpenedFolder) {
            options.openedFolder = QString::fromUtf8(value);
            continue;
        }
        const QByteArray word = value.trimmed();
        if (word != "true" && word != "false")
            continue;
        if (key == kShown)
            options.shown = word == "true";
        else if (key == kHiddenFiles)
            options.hiddenFiles = word == "true";
    }
    return options;
}

QByteArray SitePanelOptions::toText() const
{
    QByteArray text =
        kSection + '\n' + kShown + '=' + flag(shown) + '\n' + kHiddenFiles + '=' + flag(hiddenFiles) + '\n';
    // A folder whose name holds a line break cannot be kept in a line; it is not remembered.
    if (!openedFolder.contains(u'\n') && !openedFolder.contains(u'\r'))
        text += kOpenedFolder + '=' + openedFolder.toUtf8() + '\n';
    return text;
}

SitePanelOptions SitePanelOptions::read(const QString &path)
{
    try {
        return parse(RegularFile::readAll(path, kLargestFile));
    } catch (const UserError &) {
        return {};
    }
}

void SitePanelOptions::write(const QString &path) const
{
    AtomicFile::write(path, toText());
}
