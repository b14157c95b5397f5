#pragma once

#include "app/recoverystore.h"
#include "app/recoverywork.h"
#include "app/textcapture.h"

#include <QObject>

#include <memory>

class Document;
class PageContext;
class QWidget;
class RecoveryKeeper;
class UserDialogs;
struct PreviewSession;

// Crash recovery for one open page: keeps its unsaved text in the data folder while the user
// works (through the keeper), and puts a copy an earlier run left behind back into the page when
// the user chose 復元 (KeptPagesOffer asks). A page put back is the modified document under its
// own path, or untitled. A plain page's text is taken a
// little at a time between keys and written on the keeper's thread; a page shown formatted is
// written as RTF at once (RTF is made from the formatted document, which lives on the window's
// thread). Owns the store, the keeper and the capture; refers to the page in front, the
// preview session and the window.
class CrashRecovery final : public QObject, private RecoveryWork
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CrashRecovery)

public:
    // Follows the document's edits and modified flag to keep its copy.
    CrashRecovery(PageContext &current, PreviewSession &preview, UserDialogs &dialogs, QWidget &window);
    ~CrashRecovery() override;

    // A page an earlier run left behind becomes this page again, modified, and is kept as this
    // run's copy at once (before the caller deletes the old one).
    void putBack(const KeptPage &page);
    // The program ends normally: whatever was unsaved was saved or given up on purpose.
    void discardKeptPage();

    // The question for a single page left behind.
    static QString question(const KeptPage &page);

private:
    void restore(const KeptPage &page);

    void take(Taken taken) override;
    std::optional<Write> takeAtOnce() override;
    void stopTaking() override;
    void discard() override;
    // The page's identity as it stands, with no text yet.
    KeptPage pageNow() const;
    std::optional<Write> richPage();
    Write plainPage(QStringList paneText);

    PageContext &m_current;
    PreviewSession &m_preview;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    RecoveryStore m_store;
    TextCapture m_capture;
    // Last, so it goes first: it waits for a copy being written into the store.
    std::unique_ptr<RecoveryKeeper> m_keeper;
};
