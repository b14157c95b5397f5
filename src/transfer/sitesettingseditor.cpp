#include "transfer/sitesettingseditor.h"

#include <QComboBox>

namespace {

template<typename T>
void fill(QComboBox &box, const QList<std::pair<T, QString>> &items)
{
    box.clear();
    for (const auto &[value, caption] : items)
        box.addItem(caption, QVariant::fromValue(static_cast<int>(value)));
}

template<typename T>
void select(QComboBox &box, T value)
{
    box.setCurrentIndex(box.findData(QVariant::fromValue(static_cast<int>(value))));
}

template<typename T>
T selected(const QComboBox &box, T fallback)
{
    const QVariant data = box.currentData();
    return data.isValid() ? static_cast<T>(data.toInt()) : fallback;
}

} // namespace

SiteSettingsEditor::SiteSettingsEditor(QComboBox &security, QComboBox &dataMode)
    : m_security(security), m_dataMode(dataMode)
{
    fill<ConnectionMethod>(m_security,
                           {{ConnectionMethod::Ftps, QStringLiteral("FTPS — 明示的 TLS")},
                            {ConnectionMethod::Ftp, QStringLiteral("FTP — 暗号化なし")},
                            {ConnectionMethod::Sftp, QStringLiteral("SFTP — SSH")}});
    fill<DataConnectionMode>(m_dataMode,
                             {{DataConnectionMode::Auto, QStringLiteral("自動")},
                              {DataConnectionMode::Passive, QStringLiteral("パッシブ")},
                              {DataConnectionMode::Active, QStringLiteral("アクティブ")}});
    // SSH carries files over its one connection: 転送モード has nothing to choose there.
    QObject::connect(&m_security, &QComboBox::currentIndexChanged, &m_dataMode, [this] { followSecurity(); });
    show(SiteSettings::forNewSite());
}

void SiteSettingsEditor::followSecurity()
{
    m_dataMode.setEnabled(selected(m_security, m_shown.security) != ConnectionMethod::Sftp);
}

void SiteSettingsEditor::show(const SiteSettings &settings)
{
    m_shown = settings;
    select(m_security, settings.security);
    select(m_dataMode, settings.dataMode);
    followSecurity();
}

SiteSettings SiteSettingsEditor::settings() const
{
    SiteSettings settings = m_shown;
    settings.security = selected(m_security, m_shown.security);
    settings.dataMode = selected(m_dataMode, m_shown.dataMode);
    return settings;
}
