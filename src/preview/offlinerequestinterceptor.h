#pragma once

#include <QWebEngineUrlRequestInterceptor>

#include <atomic>

// Stops requests the pane must not make: every request that would leave the machine while the
// pane is offline (local files and the engine's own pages still load), and sub-frame loads
// when frames are not to be downloaded.
class OfflineRequestInterceptor final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OfflineRequestInterceptor)

public:
    explicit OfflineRequestInterceptor(QObject *parent = nullptr);

    void setOffline(bool offline) { m_offline = offline; }
    bool isOffline() const { return m_offline; }
    void setFrameDownloads(bool allowed) { m_frameDownloads = allowed; }

    static bool isNetworkScheme(const QString &scheme);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    // Qt may call the interceptor off the window thread.
    std::atomic<bool> m_offline{false};
    std::atomic<bool> m_frameDownloads{true};
};
