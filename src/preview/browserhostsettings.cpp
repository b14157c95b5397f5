#include "preview/browserhostsettings.h"

quint32 BrowserHostSettings::hostInfoFlags() const
{
    quint32 flags = 0;
    if (ieNO3DBORDER)
        flags |= kNo3DBorderFlag;
    if (ieSCROLL_hidden)
        flags |= kScrollNoFlag;
    if (ieDontSCRIPT)
        flags |= kDisableScriptInactiveFlag;
    if (ieNoBehavior)
        flags |= kOverrideBehaviorFactoryFlag;
    if (ieAutoComplete)
        flags |= kFormsAutoCompleteFlag;
    return flags;
}

ContextMenuAnswer BrowserHostSettings::answerContextMenu(bool hasAutoPopupMenu) const
{
    if (!ieNoContext)
        return {HostAnswer::LeftToEngine, false};
    return {HostAnswer::Handled, hasAutoPopupMenu};
}

HostAnswer BrowserHostSettings::answerAccelerator() const
{
    return ieEnableAccelerator ? HostAnswer::LeftToEngine : HostAnswer::Handled;
}

// Qt WebEngine has nothing for: behaviours (IeNoBehavior), forms auto-complete
// (IeAutoComplete; the pane's profile keeps no form data anyway), Java and ActiveX controls
// (CS_NoJava, cs_NoActiveXDownLoad), download-only loading (CS_DownLoadOnly), client pull by
// refresh headers (CS_NoClientPull), silent mode (CS_Silent) and going offline only when not
// connected (CS_OffLine). Scripts in inactive documents (IeDontSCRIPT) come closest to
// switching scripts off altogether, as CS_NoScripts does.
EngineOptions BrowserHostSettings::engineOptions() const
{
    using enum DownLoadControl;
    EngineOptions options;
    options.engineContextMenu = answerContextMenu(false).answer == HostAnswer::LeftToEngine;
    options.sunkenFrame = !ieNO3DBORDER;
    options.scrollBars = !ieSCROLL_hidden;
    options.javascript = !ieDontSCRIPT && !downLoadControl.contains(CS_NoScripts);
    options.autoLoadImages = downLoadControl.contains(CS_Images);
    options.mediaAutoplay = downLoadControl.contains(CS_Videos) || downLoadControl.contains(CS_BGSounds);
    options.plugins = !downLoadControl.contains(CS_NoActiveXRun);
    options.httpCache = !downLoadControl.contains(CS_NoCash) && !downLoadControl.contains(CS_ReSynchronize);
    options.frameDownloads = !downLoadControl.contains(CS_NoFrame);
    options.forceOffline = downLoadControl.contains(CS_ForceOffLine);
    options.acceleratorsToPage = answerAccelerator() == HostAnswer::LeftToEngine;
    return options;
}
