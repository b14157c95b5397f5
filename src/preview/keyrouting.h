#pragma once

#include <Qt>

// Where a key typed while the preview pane has the focus goes. Keys for other widgets pass
// untouched. In the pane, the keys a page needs for itself (Tab between its links and fields,
// Backspace and the arrows in its fields, plain typing) go to the page and no shortcut of the
// main window may take them. Accelerator keys (with Ctrl, Alt or Meta, and function keys)
// reach the main window's shortcuts first and then the page, unless the host claims every
// accelerator (IeEnableAccelerator false): then neither the page nor a shortcut acts on one.
namespace KeyRouting {

enum class EventKind {
    ShortcutOverride, // Qt asks the focus widget whether it wants the key before shortcuts run
    KeyPress,
    KeyRelease,
    Other,
};

enum class Route {
    PassUntouched,  // not the pane's business
    ToPage,         // the page gets the key; no window shortcut may take it
    ShortcutsFirst, // a window shortcut may take the key, otherwise the page gets it
    Claimed,        // the host takes the key and nothing acts on it
};

struct KeyFacts
{
    EventKind kind = EventKind::Other;
    bool inPane = false; // the receiver is the pane or a widget inside it
    int key = 0;         // Qt::Key
    Qt::KeyboardModifiers modifiers;
};

bool isAcceleratorKey(int key, Qt::KeyboardModifiers modifiers);

Route route(const KeyFacts &facts, bool ieEnableAccelerator);

} // namespace KeyRouting
