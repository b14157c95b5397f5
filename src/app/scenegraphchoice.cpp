#include "app/scenegraphchoice.h"

#include "app/softwarerasteriser.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace SceneGraphChoice {

namespace {

// The name of the renderer an OpenGL context would get here; empty when there is none.
QByteArray openGlRenderer()
{
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!surface.isValid() || !context.create() || !context.makeCurrent(&surface))
        return {};
    const auto *name = reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    QByteArray renderer(name ? name : "");
    context.doneCurrent();
    return renderer;
}

} // namespace

Composition applyForThisMachine()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        return Composition::QtDefault;
    if (!SoftwareRasteriser::isRenderer(openGlRenderer()))
        return Composition::QtDefault;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return Composition::Software;
}

} // namespace SceneGraphChoice
