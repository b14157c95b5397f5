#include "common/frameaccessibility.h"

#include <QAccessibleWidget>
#include <QFrame>

namespace {

// Asked for each class of an object from its own up; a widget that has a reading of its own
// (a label, a list) is answered for before its QFrame base is asked about.
QAccessibleInterface *groupForFrame(const QString &className, QObject *object)
{
    if (className != QLatin1String("QFrame"))
        return nullptr;
    auto *frame = qobject_cast<QFrame *>(object);
    return frame && !frame->isWindow() ? new QAccessibleWidget(frame, QAccessible::Grouping) : nullptr;
}

} // namespace

void FrameAccessibility::install()
{
    QAccessible::installFactory(&groupForFrame);
}
