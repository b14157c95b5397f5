#include "common/frameaccessibility.h"

#include <QAccessibleWidget>
#include <QFrame>

namespace {

// Asked for each class of an object from its own up; a widget that has a reading of its own
// (a label, a list) is answered for before its QFrame base is asked about.
QAccessibleInterface *readingOfContainer(const QString &className, QObject *object)
{
    auto *frame = qobject_cast<QFrame *>(object);
    if (!frame || frame->isWindow())
        return nullptr;
    if (className == QLatin1String("QFrame"))
        return new QAccessibleWidget(frame, QAccessible::Grouping);
    // A stack shows one of its pages: what a reader wants is the page, not "layered pane" on
    // the way in to it.
    if (className == QLatin1String("QStackedWidget"))
        return new QAccessibleWidget(frame, QAccessible::Client);
    return nullptr;
}

} // namespace

void FrameAccessibility::install()
{
    QAccessible::installFactory(&readingOfContainer);
}
