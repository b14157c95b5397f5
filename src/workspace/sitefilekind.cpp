#include "workspace/sitefilekind.h"

#include <QHash>

namespace {

// One row per extension; whatever is not here is Other.
const QHash<QByteArray, SiteFileKind> &kindsByExtension()
{
    static const QHash<QByteArray, SiteFileKind> kinds = {
        {"htm", SiteFileKind::Page},   {"html", SiteFileKind::Page},      {"shtml", SiteFileKind::Page},
        {"xhtml", SiteFileKind::Page}, {"asp", SiteFileKind::Page},       {"aspx", SiteFileKind::Page},
        {"php", SiteFileKind::Page},   {"jpg", SiteFileKind::Image},      {"jpeg", SiteFileKind::Image},
        {"gif", SiteFileKind::Image},  {"png", SiteFileKind::Image},      {"bmp", SiteFileKind::Image},
        {"webp", SiteFileKind::Image}, {"svg", SiteFileKind::Image},      {"ico", SiteFileKind::Image},
        {"avif", SiteFileKind::Image}, {"css", SiteFileKind::StyleSheet}, {"js", SiteFileKind::Script},
        {"mjs", SiteFileKind::Script}, {"cgi", SiteFileKind::Script},     {"pl", SiteFileKind::Script},
    };
    return kinds;
}

} // namespace

namespace SiteFileKinds {

SiteFileKind ofName(const QByteArray &name)
{
    const QByteArray fileName = name.mid(name.lastIndexOf('/') + 1);
    const qsizetype dot = fileName.lastIndexOf('.');
    // ".htaccess" is a name without an extension, not an extension without a name.
    if (dot <= 0)
        return SiteFileKind::Other;
    return kindsByExtension().value(fileName.mid(dot + 1).toLower(), SiteFileKind::Other);
}

QString caption(SiteFileKind kind)
{
    switch (kind) {
    case SiteFileKind::Folder:
        return QStringLiteral("フォルダ");
    case SiteFileKind::Page:
        return QStringLiteral("ページ");
    case SiteFileKind::Image:
        return QStringLiteral("画像");
    case SiteFileKind::StyleSheet:
        return QStringLiteral("スタイルシート");
    case SiteFileKind::Script:
        return QStringLiteral("スクリプト");
    case SiteFileKind::Other:
        break;
    }
    return QStringLiteral("その他のファイル");
}

} // namespace SiteFileKinds
