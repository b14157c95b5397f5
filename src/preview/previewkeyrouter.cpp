#include "preview/previewkeyrouter.h"

#include "preview/keyrouting.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

KeyRouting::EventKind kindOf(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        return KeyRouting::EventKind::ShortcutOverride;
    case QEvent::KeyPress:
        return KeyRouting::EventKind::KeyPress;
    case QEvent::KeyRelease:
        return KeyRouting::EventKind::KeyRelease;
    default:
        return KeyRouting::EventKind::Other;
    }
}

} // namespace

PreviewKeyRouter::PreviewKeyRouter(QWidget *pane, bool acceleratorsToPage, QObject *parent)
    : QObject(parent), m_pane(pane), m_acceleratorsToPage(acceleratorsToPage)
{}

bool PreviewKeyRouter::isInPane(QObject *watched) const
{
    auto *widget = qobject_cast<QWidget *>(watched);
    return widget && m_pane && (widget == m_pane || m_pane->isAncestorOf(widget));
}

bool PreviewKeyRouter::eventFilter(QObject *watched, QEvent *event)
{
    const KeyRouting::EventKind kind = kindOf(event);
    if (kind == KeyRouting::EventKind::Other)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const KeyRouting::Route route =
        KeyRouting::route({kind, isInPane(watched), key->key(), key->modifiers()}, m_acceleratorsToPage);
    switch (route) {
    case KeyRouting::Route::PassUntouched:
    case KeyRouting::Route::ShortcutsFirst:
        return false;
    case KeyRouting::Route::ToPage:
        // An accepted override keeps the window's shortcuts off the key; the press itself
        // goes on to the page.
        if (kind == KeyRouting::EventKind::ShortcutOverride) {
            event->accept();
            return true;
        }
        return false;
    case KeyRouting::Route::Claimed:
        event->accept();
        return true;
    }
    return false;
}
