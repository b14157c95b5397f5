#include "authoring/accessibletextrelay.h"

#include "authoring/removedtextwitness.h"

#include <QAccessible>
#include <QWidget>

#include <optional>

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

// The removed characters as they were, when the view the event comes from has a witness that
// knows them.
std::optional<QString> realRemoved(const QAccessibleEvent &event, int position, qsizetype length)
{
    QObject *source = event.object();
    auto *witness = source ? source->findChild<RemovedTextWitness *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!witness)
        return std::nullopt;
    return witness->takeRemoved(position, static_cast<int>(length));
}

void relay(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::TextRemoved) {
        const auto &removal = *static_cast<QAccessibleTextRemoveEvent *>(event);
        if (const auto text = realRemoved(removal, removal.changePosition(), removal.textRemoved().size())) {
            QAccessibleTextRemoveEvent corrected(event->object(), removal.changePosition(), *text);
            passOn(&corrected);
            return;
        }
    } else if (event->type() == QAccessible::TextUpdated) {
        const auto &update = *static_cast<QAccessibleTextUpdateEvent *>(event);
        if (const auto text = realRemoved(update, update.changePosition(), update.textRemoved().size())) {
            QAccessibleTextUpdateEvent corrected(
                event->object(), update.changePosition(), *text, update.textInserted());
            passOn(&corrected);
            return;
        }
    }
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
