#pragma once

#include "common/phonefit.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class BrowserEngine;
class CommandDispatcher;
class Document;
class PreviewArea;
class QAbstractButton;
class QComboBox;
class QProgressBar;
class QTemporaryDir;
class UserDialogs;
struct PreviewSession;
struct WebLists;

// The main window's controls and services the preview commands work with; the window owns them.
struct PreviewControls
{
    PreviewArea *pane = nullptr;                        // WebBrowser1
    QComboBox *urlBox = nullptr;                        // cmbURL
    QAbstractButton *httpMode = nullptr;                // RadioButton1 "http"
    QProgressBar *progressBar = nullptr;                // ProgressBar1
    std::function<QString()> documentText;              // the editor's whole text, CR LF line ends
    std::function<void(const QString &)> setStatusText; // status panel 0
    QAbstractButton *onlineMode = nullptr;              // RadioButton3 "ｵﾝﾗｲﾝ"
    QComboBox *pageWidth = nullptr;                     // cmbPreviewWidth: パソコン or a phone's
};

// The commands of the preview pane: 反映 (the edited page rendered from a preview file beside
// the document, or the typed address browsed; Enter in the address box browses too), online
// and offline, back, forward and stop; and the pane's progress and completion, which record
// visited web pages. The online flag follows the ｵﾝﾗｲﾝ button's checked state, however it
// got checked. A refresh of the page already shown keeps its scroll position, and an untitled
// page is previewed from a private folder of this run, never from the user's own. It owns the
// browser engine (Qt WebEngine unless another engine is given; tests give a fake) and that
// private folder, which goes with it. It reads the page from the document (its path and format)
// and the text function, and keeps what it needs between refreshes in the preview session and
// the visits in the web lists; the window owns all three.
class PreviewCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewCommands)

public:
    static constexpr int kBackTag = 0;
    static constexpr int kForwardTag = 1;
    static constexpr int kStopTag = 2;

    // Registers the handlers with commands; becomes a child of the pane unless given a parent.
    PreviewCommands(CommandDispatcher &commands,
                    const Document &document,
                    PreviewSession &session,
                    WebLists &lists,
                    UserDialogs &dialogs,
                    const PreviewControls &controls,
                    BrowserEngine *engine = nullptr,
                    QObject *parent = nullptr);
    ~PreviewCommands() override;

    BrowserEngine &engine() const { return *m_engine; }

    void render(); // Button1Click
    // Another page is in front: what 反映 shows from now on, shown at once unless the preview
    // browses an address.
    void showDocument(const Document &document);
    // 反映 run by itself (自動反映): the edited page only, never a browse to the typed address.
    // A failure is told in the status bar once, not again on every pause in the typing, until
    // a refresh works; never in a box.
    void refreshAutomatically();
    // Goes to an address as a browser: offline unless the online flag is set.
    void browse(const QString &address);
    void setOnline(bool online); // RadioButton3Click, RadioButton4Click
    void moveInHistory(int tag); // SpeedButton1Click: 0 back, 1 forward, other stop
    // How document, as it stands now, came out in the phone preview; nullopt when it was not
    // shown at a phone's width since its last edit.
    std::optional<PhoneFit> phoneFitOf(const Document &document) const;

signals:
    // The page 反映 showed was measured in the phone preview.
    void phoneFitMeasured();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override; // Enter in the address box

private:
    void renderDocument();
    QString untitledFolder();
    void downloadBegin();
    void progressChange(int progress, int progressMax);
    void documentComplete();
    void loadEnded();
    void recordPhoneFit(const QString &address, const PhoneFit &fit);

    CommandDispatcher &m_commands;
    const Document *m_document;
    PreviewSession &m_session;
    WebLists &m_lists;
    UserDialogs &m_dialogs;
    PreviewControls m_controls;
    BrowserEngine *m_engine;
    std::unique_ptr<QTemporaryDir> m_untitledFolder; // made on the first untitled preview
    QString m_automaticFailure;                      // the failure last shown for a refresh by itself
    // The page 反映 last showed, as it stood then, and its measure once the phone preview took it.
    struct Rendered
    {
        const Document *document = nullptr;
        quint64 revision = 0;
        QString address;
        std::optional<PhoneFit> fit;
    };
    Rendered m_rendered;
};
