#pragma once

#include "common/phonefit.h"

#include <QObject>
#include <QPointF>
#include <QString>

// What the preview pane needs of a web browser engine: going to an address, moving in the
// engine's own page history, stopping, the offline switch, the shown page's address and
// title, the shown page's scroll position, and the progress events of a load. The production engine wraps Qt WebEngine; tests
// use a fake. A refused operation throws BrowserEngineError for the caller to catch.
class BrowserEngine : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserEngine)

public:
    explicit BrowserEngine(QObject *parent = nullptr) : QObject(parent) {}
    ~BrowserEngine() override = default;

    virtual void navigate(const QString &address) = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    virtual void stop() = 0;

    // Offline: no request leaves the machine; local files still load, and so may pages the
    // engine kept from earlier in the run.
    virtual void setOffline(bool offline) = 0;
    virtual bool isOffline() const = 0;

    virtual QString locationUrl() const = 0;  // address of the shown document; empty when none
    virtual QString locationName() const = 0; // title of the shown document

    // Starts the engine's own set-up ahead of the first page, so that the first 反映 of a run
    // costs no more than later ones. Shows nothing, loads no document and takes no focus.
    virtual void warmUp() = 0;

    // How far the shown page is scrolled, in page pixels; (0, 0) when no page is shown.
    virtual QPointF scrollPosition() const = 0;
    // The next page loaded is scrolled to position as soon as it can be, and again once its
    // pictures are in (they may change its height), so a refreshed page stays where it was.
    virtual void restoreScrollOnNextLoad(const QPointF &position) = 0;

    // The width pages are shown at, in CSS pixels, as a phone of that screen width shows them
    // (its user agent too), scaled to fit the pane; 0 shows them at the pane's own width.
    virtual void setPageWidth(int cssWidth) = 0;

signals:
    void downloadBegin();
    void progressChange(int progress, int progressMax);
    void documentComplete();
    // The page at address, loaded and shown at a phone's width, measured against it.
    void phoneFitMeasured(const QString &address, const PhoneFit &fit);
    // A load ended without a document (refused, unreachable, blocked while offline, stopped);
    // the engine explains a failure in the pane itself.
    void navigateError();
};
