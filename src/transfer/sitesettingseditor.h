#pragma once

#include "transfer/sitesettings.h"

class QComboBox;

// The transfer window's two boxes for a site's 接続方式 and 転送モード: shows a site's settings
// and reads back what the user chose. Keeps what the boxes do not show (the plain-FTP warning
// switch) from the site last shown; 転送モード is off while SFTP is chosen. Refers to the boxes,
// which the view owns.
class SiteSettingsEditor
{
public:
    SiteSettingsEditor(QComboBox &security, QComboBox &dataMode);

    void show(const SiteSettings &settings);
    SiteSettings settings() const;
    // The key file the boxes do not show, chosen beside them.
    void setKeyFile(const QString &path) { m_shown.keyFile = path; }

private:
    void followSecurity();

    QComboBox &m_security;
    QComboBox &m_dataMode;
    SiteSettings m_shown;
};
