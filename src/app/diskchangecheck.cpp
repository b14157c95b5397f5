#include "app/diskchangecheck.h"

#include "authoring/editoradapter.h"
#include "authoring/editorfile.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/userdialogs.h"
#include "workspace/document.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QScrollBar>

namespace {

const QString kChangedQuestion = QStringLiteral("ファイル %1 がほかのプログラムで書き換えられました。\n"
                                                "このページには保存していない変更があります。"
                                                "ファイルを読み直すと、その変更は失われます。");

} // namespace

DiskChangeCheck::DiskChangeCheck(PageContext &front, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_front(front), m_dialogs(dialogs), m_window(window)
{}

QString DiskChangeCheck::question(const QString &path)
{
    return kChangedQuestion.arg(QDir::toNativeSeparators(path));
}

void DiskChangeCheck::watch(Document &page)
{
    m_stamps.insert(&page, DiskStamp::of(page.path()));
    connect(&page, &Document::changed, this, [this, &page](Document::Aspect aspect) {
        if (aspect == Document::Aspect::Path)
            m_stamps.insert(&page, DiskStamp::of(page.path()));
    });
    connect(&page, &QObject::destroyed, this, [this, &page] { m_stamps.remove(&page); });
}

void DiskChangeCheck::stampFront()
{
    m_stamps.insert(&m_front.document(), DiskStamp::of(m_front.document().path()));
}

void DiskChangeCheck::check()
{
    // The question itself hands the activation back to the window when it closes.
    if (m_checking)
        return;
    const Document &page = m_front.document();
    const auto known = m_stamps.constFind(&page);
    if (page.isUntitled() || known == m_stamps.constEnd())
        return;
    const DiskStamp now = DiskStamp::of(page.path());
    if (!now.exists() || now == *known)
        return;
    m_stamps.insert(&page, now);
    if (page.isModified()) {
        m_checking = true;
        const ChoiceAnswer answer = m_dialogs.choose(&m_window,
                                                     {QStringLiteral("確認"),
                                                      question(page.path()),
                                                      DialogIcon::Question,
                                                      {QStringLiteral("再読み込み"), QStringLiteral("このまま")},
                                                      kKeep,
                                                      kKeep,
                                                      {}});
        m_checking = false;
        if (answer.choice != kReload)
            return;
    }
    reload();
}

void DiskChangeCheck::reload()
{
    EditorStack &editor = m_front.editor();
    Document &page = m_front.document();
    const int caret = EditorAdapter(editor).caretPosition();
    const int scroll = editor.view().verticalScrollBar()->value();
    // Read as the page was read; a file that cannot be read now leaves the page as it is.
    page.setFormat(EditorFile::load(editor, page.path(), page.readsPlainText()));
    EditorAdapter adapter(editor);
    adapter.setModified(false);
    adapter.setCaret(caret);
    editor.view().verticalScrollBar()->setValue(scroll);
}
