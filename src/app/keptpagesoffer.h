#pragma once

#include "app/keptpage.h"

#include <QList>

#include <functional>

class CrashRecovery;
class QWidget;
class UserDialogs;

// At a start, what earlier runs left unsaved is offered back: one page in a box of its own (復元
// / 破棄), several (a crash with many tabs open) in one window with 復元 / 破棄 for each. Each page
// put back comes into a tab of its own, or the tab its file is open in; a copy is deleted only
// once the page it held is safe again, or on purpose. A question closed without an answer keeps
// the copies for the next start.
namespace KeptPagesOffer {

// The recovery of the page a kept copy of this file (empty: untitled) goes back into, brought to
// the front; null keeps the copy for a later start.
using PageFor = std::function<CrashRecovery *(const QString &path)>;

// What the user decided of each page, in the order given: true puts it back, false deletes it;
// empty when nothing was decided.
QList<bool> ask(UserDialogs &dialogs, QWidget &window, const QList<KeptPage> &pages);

// Takes the leftovers in the recovery folder, asks, and does what the answer says.
void offer(const QString &recoveryFolder, UserDialogs &dialogs, QWidget &window, const PageFor &pageFor);

} // namespace KeptPagesOffer
