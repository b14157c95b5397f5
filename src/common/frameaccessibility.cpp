#include "common/frameaccessibility.h"

#include <QAccessibleWidget>
#include <QFrame>
#include <QStackedWidget>

namespace {

// A stack of pages as the page it shows: a reader finds the page in use, never a hidden one
// that stands before it among the stack's children (the blank view of the editor's two).
class ShownPageOnly final : public QAccessibleWidget
{
public:
    explicit ShownPageOnly(QStackedWidget *stack) : QAccessibleWidget(stack, QAccessible::Client) {}

    int childCount() const override { return shown() ? 1 : 0; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 && shown() ? QAccessible::queryAccessibleInterface(shown()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && shown() && child->object() == shown() ? 0 : -1;
    }

private:
    QWidget *shown() const { return static_cast<QStackedWidget *>(widget())->currentWidget(); }
};

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
        return new ShownPageOnly(static_cast<QStackedWidget *>(frame));
    return nullptr;
}

} // namespace

void FrameAccessibility::install()
{
    QAccessible::installFactory(&readingOfContainer);
}
