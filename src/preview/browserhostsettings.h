#pragma once

#include "preview/downloadcontrolset.h"
#include "preview/engineoptions.h"

#include <QtGlobal>

// How the host answers a request of the engine: it handled the request itself (the engine
// does nothing more), or it leaves the engine to do its default.
enum class HostAnswer {
    Handled,      // S_OK
    LeftToEngine, // S_FALSE
};

struct ContextMenuAnswer
{
    HostAnswer answer = HostAnswer::LeftToEngine;
    bool showHostPopupMenu = false; // the host's own pop-up menu is shown at the mouse point
};

// The settings of the browser host control (TUIWebBrowser) that decide how pages look and
// behave in the preview pane, and the host's answers to the engine derived from them. Every
// answer is computed afresh from the current values, so a changed setting counts at once.
struct BrowserHostSettings
{
    // Host-information flags (DOCHOSTUIFLAG_ constants).
    static constexpr quint32 kNo3DBorderFlag = 0x4;
    static constexpr quint32 kScrollNoFlag = 0x8;
    static constexpr quint32 kDisableScriptInactiveFlag = 0x10;
    static constexpr quint32 kOverrideBehaviorFactoryFlag = 0x400;
    static constexpr quint32 kFormsAutoCompleteFlag = 0x4000;
    static constexpr int kDefaultDoubleClick = 0;

    bool ieNoContext = false;
    bool ieNO3DBORDER = false;
    bool ieSCROLL_hidden = false;
    bool ieDontSCRIPT = false;
    bool ieEnableAccelerator = true;
    bool ieNoBehavior = false;
    bool ieAutoComplete = true;
    DownLoadControlSet downLoadControl{
        DownLoadControl::CS_Images, DownLoadControl::CS_Videos, DownLoadControl::CS_BGSounds};

    quint32 hostInfoFlags() const;
    int hostInfoDoubleClick() const { return kDefaultDoubleClick; }
    quint32 downloadControlValue() const { return downLoadControl.value(); }

    // hasAutoPopupMenu: the host has a pop-up menu of its own that pops up automatically.
    ContextMenuAnswer answerContextMenu(bool hasAutoPopupMenu) const;
    HostAnswer answerAccelerator() const;

    EngineOptions engineOptions() const;
};
