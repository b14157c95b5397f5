#pragma once

#include <QByteArrayView>

// Tells from an OpenGL renderer's name whether the "graphics card" is the CPU: Mesa's llvmpipe,
// softpipe and swrast, Google's SwiftShader, Windows' basic render driver. On such a machine the
// window's composition through OpenGL, which the preview's browser view brings with it, costs
// every key a full-window software render.
namespace SoftwareRasteriser {

bool isRenderer(QByteArrayView rendererName);

} // namespace SoftwareRasteriser
