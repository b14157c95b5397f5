#include "app/documentfollowers.h"

#include "app/autorefreshswitch.h"
#include "app/crashrecovery.h"
#include "app/documentwatch.h"
#include "authoring/editorstack.h"
#include "preview/autorefresh.h"
#include "preview/browserengine.h"
#include "preview/previewcommands.h"

#include <exception>

DocumentFollowers::DocumentFollowers(CommandDispatcher &commands, const Parts &parts)
    : QObject(&parts.window), m_preview(parts.preview), m_watch(new DocumentWatch(this)),
      m_autoRefresh(new AutoRefresh([this] { m_preview.refreshAutomatically(); }, this)),
      m_recovery(new CrashRecovery(parts.editor,
                                   parts.state,
                                   parts.previewSession,
                                   parts.dialogs,
                                   parts.window,
                                   *m_watch,
                                   parts.documentChanged))
{
    m_watch->watch(parts.editor.document());
    // New, Open and Save As may put the other view, with its own document, in use.
    connect(&parts.editor, &EditorStack::documentReplaced, m_watch, &DocumentWatch::watch);
    connect(m_watch, &DocumentWatch::edited, m_autoRefresh, &AutoRefresh::documentEdited);
    new AutoRefreshSwitch(commands, *m_autoRefresh, parts.findAction, this);
}

void DocumentFollowers::documentSaved()
{
    m_autoRefresh->documentSaved();
}

void DocumentFollowers::offerKeptPages()
{
    m_recovery->offerKeptPages();
}

void DocumentFollowers::warmUpPreview()
{
    // Only a head start: an engine that cannot start now says so on the first 反映.
    try {
        m_preview.engine().warmUp();
    } catch (const std::exception &) {
    }
}

void DocumentFollowers::windowClosed()
{
    m_recovery->discardKeptPage();
}
