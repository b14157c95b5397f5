#pragma once

#include <QObject>
#include <QString>

// What the preview pane needs of a web browser engine: going to an address, moving in the
// engine's own page history, stopping, the offline switch, the shown page's address and
// title, and the progress events of a load. The production engine wraps Qt WebEngine; tests
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

signals:
    void downloadBegin();
    void progressChange(int progress, int progressMax);
    void documentComplete();
    // A load ended without a document (refused, unreachable, blocked while offline, stopped);
    // the engine explains a failure in the pane itself.
    void navigateError();
};
