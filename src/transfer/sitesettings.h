#pragma once

#include "transfer/connectionmethod.h"
#include "workspace/siteprofile.h"

#include <QString>

// How one site of the book is connected to, beyond the book's five fields: kept beside the
// book (SiteSettingsStore), so RODav.ini keeps its format and older books keep working.
struct SiteSettings
{
    ConnectionMethod security = ConnectionMethod::Ftp;
    DataConnectionMode dataMode = DataConnectionMode::Auto;
    // The user asked not to be warned again that this site's connection is not encrypted.
    bool plainWarningOff = false;
    // The site on this computer (its 公開元, whose tree 更新分を公開 sends, and what is no part
    // of it).
    SiteProfile site;
    // The remote folder that local folder maps to; empty: the folder the book saved for the site.
    QString remoteFolder;
    // SFTP: the private key file tried after the SSH agent; empty: none.
    QString keyFile = {};

    // A site the user adds now: encrypted unless they choose otherwise.
    static SiteSettings forNewSite() { return {ConnectionMethod::Ftps, DataConnectionMode::Auto, false, {}, {}}; }
    // A site the book held before these settings existed: the plain FTP it always used, and
    // passive mode first, which works behind a home router.
    static SiteSettings forOlderSite() { return {}; }

    bool operator==(const SiteSettings &) const = default;
};
