#include "app/documentfollowers.h"

#include "app/autorefreshswitch.h"
#include "app/crashrecovery.h"
#include "app/keptpagesoffer.h"
#include "app/recoverystore.h"
#include "authoring/pagecontext.h"
#include "common/datafolder.h"
#include "preview/autorefresh.h"
#include "preview/browserengine.h"
#include "preview/previewcommands.h"
#include "workspace/document.h"

#include <QApplication>
#include <QTextDocument>
#include <QWidget>

#include <exception>

namespace {

// A box of this program's or of Qt's is open and waits for the user: its own event loop runs
// timers too, and whatever they do then happens behind the user's back.
bool questionOpen()
{
    return QApplication::activeModalWidget() != nullptr;
}

} // namespace

DocumentFollowers::DocumentFollowers(CommandDispatcher &commands, const Parts &parts)
    : QObject(&parts.window), m_preview(parts.preview),
      m_autoRefresh(new AutoRefresh({[this] { m_preview.refreshAutomatically(); },
                                     [&page = parts.page] {
                                         const QTextDocument *text = page.document().text();
                                         return text ? qsizetype(text->characterCount()) : 0;
                                     },
                                     &questionOpen,
                                     parts.setStatusText},
                                    this)),
      m_parts(parts)
{
    connect(&parts.page, &PageContext::documentChanged, m_autoRefresh, [this](Document::Aspect aspect) {
        if (aspect == Document::Aspect::Revision)
            m_autoRefresh->documentEdited();
        else if (aspect == Document::Aspect::Path)
            m_autoRefresh->documentMoved();
    });
    new AutoRefreshSwitch(commands, *m_autoRefresh, parts.findAction, this);
}

void DocumentFollowers::followPage(PageContext &page)
{
    m_recoveries.insert(&page.document(),
                        new CrashRecovery(page, m_parts.previewSession, m_parts.dialogs, m_parts.window));
}

void DocumentFollowers::pageClosing(const Document &page)
{
    if (CrashRecovery *recovery = m_recoveries.take(&page)) {
        recovery->discardKeptPage();
        delete recovery;
    }
}

void DocumentFollowers::documentSaved()
{
    m_autoRefresh->documentSaved();
}

void DocumentFollowers::offerKeptPages()
{
    KeptPagesOffer::offer(DataFolder::filePath(RecoveryStore::kFolderName),
                          m_parts.dialogs,
                          m_parts.window,
                          [this](const QString &path) { return m_recoveries.value(&m_parts.pageForKeptCopy(path)); });
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
    for (CrashRecovery *recovery : std::as_const(m_recoveries))
        recovery->discardKeptPage();
}
