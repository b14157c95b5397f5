#pragma once

#include <QString>

// Which folder is the site of the page being edited. The site chosen in the transfer window
// wins when the page lies in its 公開元 (its local folder): that is the site the page is
// published with. Else the folder the user opened as a site (ファイル → サイトのフォルダを開く),
// else the page's own folder; with no page yet, the transfer window's site is better than none.
struct SiteChoice
{
    enum class Origin {
        None,
        PublishSource, // the 公開元 of the site chosen in the transfer window
        OpenedFolder,  // サイトのフォルダを開く
        PageFolder,    // the folder of the page being edited
    };

    QString root;
    Origin origin = Origin::None;

    // publishSource, openedFolder: empty when there is none; pagePath: empty while the page is
    // untitled. Folders that are gone are passed over.
    static SiteChoice choose(const QString &publishSource, const QString &openedFolder, const QString &pagePath);

    bool operator==(const SiteChoice &) const = default;
};
