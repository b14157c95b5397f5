#pragma once

#include "preview/browserengine.h"

#include <QStringList>

#include <optional>

// A browser engine without a browser, for tests of the preview's commands: it keeps a page
// history like a real engine, records what it was asked to do, and raises the load events
// only when the test tells it to, so every step of a load can be checked on its own.
class FakeBrowserEngine final : public BrowserEngine
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FakeBrowserEngine)

public:
    struct Navigation
    {
        QString address;
        bool offline = false; // the offline switch when the navigation started
    };

    explicit FakeBrowserEngine(QObject *parent = nullptr);

    void navigate(const QString &address) override;
    void goBack() override;
    void goForward() override;
    void stop() override;
    void setOffline(bool offline) override;
    bool isOffline() const override { return m_offline; }
    QString locationUrl() const override;
    QString locationName() const override { return m_title; }
    void warmUp() override { ++warmUpCount; }
    QPointF scrollPosition() const override { return scroll; }
    void restoreScrollOnNextLoad(const QPointF &position) override { m_scrollToRestore = position; }
    void setPageWidth(int cssWidth) override { pageWidth = cssWidth; }
    int pageWidth = 0;

    // Completes a load as a real engine would: download begin, progress, then completion,
    // reporting the given address and title from then on, scrolled where it was asked to be.
    void completeLoad(const QString &address, const QString &title);
    // The next navigate() throws, as an engine refusing an address does.
    void refuseNextNavigation(const QString &engineText);

    QList<Navigation> navigations;
    QList<bool> offlineWrites; // every value written to the offline switch, in order
    int stopCount = 0;
    int warmUpCount = 0;
    QPointF scroll; // where the shown page is scrolled; a navigation starts a page at the top

private:
    QStringList m_pages;
    qsizetype m_current = -1;
    QString m_title;
    QString m_shownOverride;
    bool m_offline = false;
    std::optional<QString> m_refusal;
    std::optional<QPointF> m_scrollToRestore;
};
