#include "app/tabcommands.h"

#include "app/documentcommands.h"
#include "app/pagetabs.h"
#include "common/commanddispatcher.h"
#include "common/userdialogs.h"
#include "workspace/document.h"

#include <QDir>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace {

const QString kCloseQuestion = QStringLiteral("「%1」は保存されていません。保存してから閉じますか？");

enum CloseChoice {
    kSave,
    kDontSave,
    kCancel,
};

} // namespace

TabCommands::TabCommands(
    CommandDispatcher &commands, PageTabs &tabs, DocumentCommands &documents, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_tabs(tabs), m_documents(documents), m_dialogs(dialogs), m_window(window)
{
    commands.add(QStringLiteral("mnuNewTabClick"), [this](int) { newTab(); });
    commands.add(QStringLiteral("mnuCloseTabClick"), [this](int) { closeTab(); });
    struct Switch
    {
        const char *name;
        QKeySequence keys;
        int step;
    };
    const Switch switches[] = {
        {"NextTabShortcut", QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {"PreviousTabShortcut", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {"NextTabPageDownShortcut", QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {"PreviousTabPageUpShortcut", QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const Switch &s : switches) {
        auto *shortcut = new QShortcut(s.keys, &window);
        shortcut->setObjectName(QString::fromLatin1(s.name));
        const int step = s.step;
        connect(shortcut, &QShortcut::activated, this, [this, step] { m_tabs.showNeighbour(step); });
    }
}

QString TabCommands::closeQuestion(const Document &page)
{
    return kCloseQuestion.arg(page.isUntitled() ? QStringLiteral("無題") : QDir::toNativeSeparators(page.path()));
}

void TabCommands::newTab()
{
    m_tabs.showPage(m_tabs.addPage());
}

void TabCommands::closeTab()
{
    Document &page = m_tabs.documentAt(m_tabs.currentIndex());
    if (page.isModified()) {
        const ChoiceAnswer answer =
            m_dialogs.choose(&m_window,
                             {QStringLiteral("確認"),
                              closeQuestion(page),
                              DialogIcon::Question,
                              {QStringLiteral("保存"), QStringLiteral("保存しない"), QStringLiteral("キャンセル")},
                              kCancel,
                              kCancel,
                              {}});
        if (answer.choice == kCancel)
            return;
        if (answer.choice == kSave) {
            m_documents.save();
            // Broken off or failed: the page stays, its changes with it.
            if (page.isModified())
                return;
        }
    }
    // The window always shows a page to write in.
    if (m_tabs.pageCount() == 1)
        m_tabs.addPage();
    m_tabs.closePage(page);
}
