#include "app/keptpagesoffer.h"

#include "app/crashrecovery.h"
#include "app/keptpagesdialog.h"
#include "app/recoverystore.h"
#include "common/userdialogs.h"

#include <QDialog>

namespace KeptPagesOffer {

QList<bool> ask(UserDialogs &dialogs, QWidget &window, const QList<KeptPage> &pages)
{
    if (pages.isEmpty())
        return {};
    if (pages.size() == 1) {
        const DialogButton answer = dialogs.message(&window,
                                                    {QStringLiteral("確認"),
                                                     CrashRecovery::question(pages.constFirst()),
                                                     DialogIcon::Question,
                                                     {DialogButton::Restore, DialogButton::Discard}});
        if (answer != DialogButton::Restore && answer != DialogButton::Discard)
            return {};
        return {answer == DialogButton::Restore};
    }
    KeptPagesDialog question(pages, &window);
    if (dialogs.exec(&question) != QDialog::Accepted)
        return {};
    return question.restoreChoices();
}

void offer(const QString &recoveryFolder, UserDialogs &dialogs, QWidget &window, const PageFor &pageFor)
{
    // A store of its own, which keeps nothing: each page's copy of this run has its own.
    RecoveryStore store(recoveryFolder);
    const QList<RecoveryStore::Leftover> leftovers = store.takeLeftovers();
    QList<KeptPage> pages;
    for (const RecoveryStore::Leftover &leftover : leftovers)
        pages.append(leftover.page);
    const QList<bool> choices = ask(dialogs, window, pages);
    // Oldest first, so that the newest page put back ends up in front.
    for (qsizetype i = choices.size() - 1; i >= 0; --i) {
        const RecoveryStore::Leftover &leftover = leftovers.at(i);
        if (choices.at(i)) {
            CrashRecovery *page = pageFor(leftover.page.path);
            if (!page)
                continue;
            page->putBack(leftover.page);
        }
        store.discardLeftover(leftover.id);
    }
    store.releaseLeftovers();
}

} // namespace KeptPagesOffer
