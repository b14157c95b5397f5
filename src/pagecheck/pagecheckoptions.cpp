#include "pagecheck/pagecheckoptions.h"

#include "common/atomicfile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

namespace {

const QByteArray kSection = QByteArrayLiteral("[PageCheck]");
const QByteArray kCheckWhileTyping = QByteArrayLiteral("checkWhileTyping");
const QByteArray kAskBeforeUpload = QByteArrayLiteral("askBeforeUpload");
const QByteArray kCheckExternalLinks = QByteArrayLiteral("checkExternalLinks");

// Two short lines; anything much longer is not a file this program wrote.
constexpr qint64 kLargestFile = 4096;

QByteArray line(const QByteArray &key, bool on)
{
    return key + '=' + (on ? "true" : "false") + '\n';
}

} // namespace

PageCheckOptions PageCheckOptions::parse(const QByteArray &text)
{
    PageCheckOptions options;
    for (const QByteArray &raw : text.split('\n')) {
        const QList<QByteArray> parts = raw.trimmed().split('=');
        if (parts.size() != 2 || (parts[1].trimmed() != "true" && parts[1].trimmed() != "false"))
            continue;
        const bool on = parts[1].trimmed() == "true";
        if (parts[0].trimmed() == kCheckWhileTyping)
            options.checkWhileTyping = on;
        else if (parts[0].trimmed() == kAskBeforeUpload)
            options.askBeforeUpload = on;
        else if (parts[0].trimmed() == kCheckExternalLinks)
            options.checkExternalLinks = on;
    }
    return options;
}

QByteArray PageCheckOptions::toText() const
{
    return kSection + '\n' + line(kCheckWhileTyping, checkWhileTyping) + line(kAskBeforeUpload, askBeforeUpload)
        + line(kCheckExternalLinks, checkExternalLinks);
}

PageCheckOptions PageCheckOptions::read(const QString &path)
{
    try {
        return parse(RegularFile::readAll(path, kLargestFile));
    } catch (const UserError &) {
        return {};
    }
}

void PageCheckOptions::write(const QString &path) const
{
    AtomicFile::write(path, toText());
}

void PageCheckOptions::store(const QString &path, bool PageCheckOptions::*option, bool on)
{
    PageCheckOptions stored = read(path);
    stored.*option = on;
    stored.write(path);
}
