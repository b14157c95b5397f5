#include "app/softwarerasteriser.h"

#include <QByteArray>

namespace SoftwareRasteriser {

bool isRenderer(QByteArrayView rendererName)
{
    const QByteArray name = rendererName.toByteArray().toLower();
    for (const char *software :
         {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swiftshader", "basic render driver"}) {
        if (name.contains(software))
            return true;
    }
    return false;
}

} // namespace SoftwareRasteriser
