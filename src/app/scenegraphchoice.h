#pragma once

// Picks how the preview's browser view is composed into the window, once, after the application
// object and before the first view. Where OpenGL is rendered by the CPU (a machine or a virtual
// machine without a graphics driver), the software scene graph paints the preview itself and
// leaves the rest of the window to the ordinary raster paths: a key then repaints its line
// instead of the whole window (some 12 ms a key on a 2-core machine against 3 ms). A graphics
// card keeps Qt's own choice, and so does a QT_QUICK_BACKEND the user set.
namespace SceneGraphChoice {

enum class Composition {
    QtDefault,
    Software
};

Composition applyForThisMachine();

} // namespace SceneGraphChoice
