#pragma once

// Qt reads a plain QFrame, a box drawn around other widgets, as a window frame. Screen readers
// take the nearest frame above a control for its window, and Orca says nothing of what happens
// in a "window" that is not the active one: the editor inside the main window's frame of the
// editing pane and preview went unheard. Installed, plain frames read as a group instead, and a
// stack of pages (the editor's views, the page tabs') says nothing of its own.
namespace FrameAccessibility {

// Once, after QApplication exists and before the windows do.
void install();

} // namespace FrameAccessibility
