#pragma once

#include "app/recoverystore.h"

#include <QObject>

class Document;
class EditorStack;
class QWidget;
class RecoveryKeeper;
class UserDialogs;
struct PreviewSession;

// Crash recovery for the open document: keeps its unsaved text in the data folder while the
// user works (through the keeper) and, at the next start after a run that ended without
// saving or discarding it, asks whether to put it back (復元) or delete it (破棄). A page put
// back is the modified document under its own path, or untitled. Owns the store and the keeper;
// refers to the editor, the document, the preview session and the window.
class CrashRecovery final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CrashRecovery)

public:
    // Follows the document's edits and modified flag to keep its copy.
    CrashRecovery(
        EditorStack &editor, Document &document, PreviewSession &preview, UserDialogs &dialogs, QWidget &window);
    ~CrashRecovery() override;

    // Offers the pages earlier runs left behind, newest first, until one is put back.
    void offerKeptPages();
    // The program ends normally: whatever was unsaved was saved or given up on purpose.
    void discardKeptPage();

    static QString question(const KeptPage &page);

private:
    void restore(const KeptPage &page);

    EditorStack &m_editor;
    Document &m_document;
    PreviewSession &m_preview;
    UserDialogs &m_dialogs;
    QWidget &m_window;
    RecoveryStore m_store;
    RecoveryKeeper *m_keeper;
};
