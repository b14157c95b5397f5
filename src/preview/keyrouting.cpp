#include "preview/keyrouting.h"

namespace KeyRouting {

namespace {

constexpr Qt::KeyboardModifiers kCommandModifiers = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

bool isPageNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

} // namespace

bool isAcceleratorKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & kCommandModifiers)
        return true;
    return key >= Qt::Key_F1 && key <= Qt::Key_F35;
}

Route route(const KeyFacts &facts, bool ieEnableAccelerator)
{
    if (!facts.inPane || facts.kind == EventKind::Other)
        return Route::PassUntouched;
    if (isPageNavigationKey(facts.key) && !(facts.modifiers & kCommandModifiers))
        return Route::ToPage;
    if (isAcceleratorKey(facts.key, facts.modifiers))
        return ieEnableAccelerator ? Route::ShortcutsFirst : Route::Claimed;
    return Route::ToPage;
}

} // namespace KeyRouting
