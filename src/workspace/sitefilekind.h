#pragma once

#include <QByteArray>
#include <QString>

// What a file of a site is to the person building it, told by its name's extension as a file
// manager tells it: the site panel's icons and the kind a screen reader reads, and which files
// the site's page-wide work goes through.
enum class SiteFileKind {
    Folder,
    Page,
    Image,
    StyleSheet,
    Script,
    Other,
};

namespace SiteFileKinds {

// The kind of a file named so (the name alone or a path, in the file system's bytes); the letter
// case of the extension does not count, since pages come from Windows as often as not.
SiteFileKind ofName(const QByteArray &name);
// The kind's name as the panel says it: "ページ", "画像" …
QString caption(SiteFileKind kind);

} // namespace SiteFileKinds
