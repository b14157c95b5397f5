#include "app/crashrecovery.h"

#include "app/documentstate.h"
#include "app/recoverykeeper.h"
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/datafolder.h"
#include "common/userdialogs.h"
#include "workspace/document.h"
#include "workspace/panetext.h"
#include "workspace/rtf/rtfreader.h"
#include "workspace/rtf/rtfwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QTextDocument>

namespace {

const QString kRestoreQuestion = QStringLiteral("保存されていない「%1」の内容が残っています（%2 に保管）。\n"
                                                "復元しますか？ 破棄すると、保管された内容は削除されます。");
const QString kUntitled = QStringLiteral("無題");

} // namespace

CrashRecovery::CrashRecovery(PageContext &current, PreviewSession &preview, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_current(current), m_preview(preview), m_dialogs(dialogs), m_window(window),
      m_store(DataFolder::filePath(RecoveryStore::kFolderName)),
      m_keeper(std::make_unique<RecoveryKeeper>(static_cast<RecoveryWork &>(*this)))
{
    connect(&current, &PageContext::documentChanged, m_keeper.get(), [this](Document::Aspect aspect) {
        if (aspect == Document::Aspect::Revision)
            m_keeper->documentEdited();
        else if (aspect == Document::Aspect::Modified)
            m_keeper->modificationChanged(m_current.document().isModified());
    });
}

CrashRecovery::~CrashRecovery() = default;

QString CrashRecovery::question(const KeptPage &page)
{
    const QString name = page.path.isEmpty() ? kUntitled : QDir::toNativeSeparators(page.path);
    return kRestoreQuestion.arg(name, page.keptAt.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
}

void CrashRecovery::putBack(const KeptPage &page)
{
    restore(page);
    m_keeper->keepNow();
}

void CrashRecovery::restore(const KeptPage &page)
{
    DocumentState document(m_current.document(), m_preview);
    if (page.path.isEmpty()) {
        document.startNew();
        m_current.document().setFormat(page.format);
    } else {
        // As Open does: pictures and links of the page are found from its own folder, when it
        // is still there.
        if (QFileInfo(page.path).absoluteDir().exists())
            QDir::setCurrent(document.beginOpen(page.path));
        document.opened(page.path, page.format);
    }
    EditorAdapter editor(m_current.editor());
    if (page.richText) {
        // Shown formatted again, as Open shows a rich-text file, so that saving it keeps that.
        m_current.editor().clearAs(EditorKind::RichText);
        RtfReader::read(page.text.toLatin1(), *m_current.editor().document());
        m_current.editor().moveCursor(QTextCursor::Start);
    } else {
        m_current.editor().clearAs(EditorKind::Source);
        editor.setText(page.text);
    }
    editor.setModified(true);
    const QString caption = document.caption();
    m_window.setWindowTitle(caption);
    m_window.setAccessibleName(caption);
    m_current.editor().setFocus();
}

void CrashRecovery::discardKeptPage()
{
    m_keeper->discard();
}

KeptPage CrashRecovery::pageNow() const
{
    return KeptPage{
        m_current.document().path(), m_current.document().format(), QDateTime::currentDateTime(), QString(), false};
}

std::optional<RecoveryWork::Write> CrashRecovery::richPage()
{
    KeptPage page = pageNow();
    page.text = QString::fromLatin1(RtfWriter::write(*m_current.editor().document()));
    page.richText = true;
    return [store = &m_store, page] { store->keep(page); };
}

RecoveryWork::Write CrashRecovery::plainPage(QStringList paneText)
{
    // Joined and given its CR LF line ends here, on the keeper's thread: for a large page that is
    // as much work as the taking.
    return [store = &m_store, page = pageNow(), paneText = std::move(paneText)]() mutable {
        page.text = PaneText::toDocument(TextCapture::join(paneText));
        paneText.clear();
        store->keep(page);
    };
}

void CrashRecovery::take(Taken taken)
{
    if (!m_current.document().isModified()) {
        taken(std::nullopt);
        return;
    }
    if (m_current.editor().isRichText()) {
        taken(richPage());
        return;
    }
    QTextDocument *text = m_current.editor().document();
    m_capture.start(text, [this, text, taken](std::optional<QStringList> paneText) {
        // Another view took over meanwhile: its text is the page now.
        if (!paneText || text != m_current.editor().document())
            take(taken);
        else
            taken(plainPage(std::move(*paneText)));
    });
}

std::optional<RecoveryWork::Write> CrashRecovery::takeAtOnce()
{
    if (!m_current.document().isModified())
        return std::nullopt;
    if (m_current.editor().isRichText())
        return richPage();
    return plainPage({m_current.editor().document()->toRawText()});
}

void CrashRecovery::stopTaking()
{
    m_capture.stop();
}

void CrashRecovery::discard()
{
    m_store.discard();
}
