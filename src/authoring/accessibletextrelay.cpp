#include "authoring/accessibletextrelay.h"

#include "authoring/removedtextwitness.h"

#include <QAccessible>
#include <QWidget>

namespace {

QAccessible::UpdateHandler g_next = nullptr;
bool g_installed = false;

void relay(QAccessibleEvent *event);

void passOn(QAccessibleEvent *event)
{
    if (g_next) {
        g_next(event);
        return;
    }
    // Qt hands an event to the platform's bridge only while no handler is installed.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&relay);
}

RemovedTextWitness *witnessOf(const QAccessibleEvent &event)
{
    QObject *source = event.object();
    return source ? source->findChild<RemovedTextWitness *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

// A line break reads as one, not as the paragraph mark the text keeps between blocks.
QString asRead(QString text)
{
    return text.replace(QChar::ParagraphSeparator, u'\n');
}

// The event as a reader should hear it, for a watched view's text events; false to pass the
// event on as it is.
bool relayCorrected(QAccessibleEvent &event, RemovedTextWitness &witness)
{
    switch (event.type()) {
    case QAccessible::TextInserted: {
        const auto &insertion = static_cast<const QAccessibleTextInsertEvent &>(event);
        QAccessibleTextInsertEvent corrected(
            event.object(), insertion.changePosition(), asRead(insertion.textInserted()));
        passOn(&corrected);
        return true;
    }
    case QAccessible::TextRemoved: {
        const auto &removal = static_cast<const QAccessibleTextRemoveEvent &>(event);
        const auto text = witness.takeRemoved(removal.changePosition(), removal.textRemoved().size());
        if (!text)
            return false;
        QAccessibleTextRemoveEvent corrected(event.object(), removal.changePosition(), *text);
        passOn(&corrected);
        return true;
    }
    case QAccessible::TextUpdated: {
        const auto &update = static_cast<const QAccessibleTextUpdateEvent &>(event);
        const auto text = witness.takeRemoved(update.changePosition(), update.textRemoved().size());
        QAccessibleTextUpdateEvent corrected(event.object(),
                                             update.changePosition(),
                                             text.value_or(update.textRemoved()),
                                             asRead(update.textInserted()));
        passOn(&corrected);
        return true;
    }
    default:
        return false;
    }
}

void relay(QAccessibleEvent *event)
{
    const QAccessible::Event type = event->type();
    const bool aboutText =
        type == QAccessible::TextInserted || type == QAccessible::TextRemoved || type == QAccessible::TextUpdated;
    RemovedTextWitness *witness = aboutText ? witnessOf(*event) : nullptr;
    if (witness && relayCorrected(*event, *witness))
        return;
    passOn(event);
}

} // namespace

void AccessibleTextRelay::watch(QWidget &view)
{
    if (!g_installed) {
        g_next = QAccessible::installUpdateHandler(&relay);
        g_installed = true;
    }
    new RemovedTextWitness(view);
}
