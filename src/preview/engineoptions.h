#pragma once

// What a browser engine is told to do, derived from the host settings: the part of them that
// Qt WebEngine can honour, in its own terms.
struct EngineOptions
{
    bool engineContextMenu = true; // the engine shows its own context menu
    bool sunkenFrame = true;       // a 3D border around the page
    bool scrollBars = true;
    bool javascript = true;
    bool autoLoadImages = true;
    bool mediaAutoplay = true; // videos and background sounds play without a click
    bool plugins = true;
    bool httpCache = true;
    bool frameDownloads = true;     // sub-frames are loaded
    bool forceOffline = false;      // never go to the network, whatever the offline switch says
    bool acceleratorsToPage = true; // the page may act on accelerator keys
};
