#include "preview/previewcommands.h"

#include "common/commanddispatcher.h"
#include "common/datafolder.h"
#include "common/textcodec.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "preview/browserengineerror.h"
#include "preview/documentcompletion.h"
#include "preview/pagewidthchoice.h"
#include "preview/previewarea.h"
#include "preview/previewchoices.h"
#include "preview/previewfile.h"
#include "preview/previewsession.h"
#include "preview/webenginebrowser.h"
#include "preview/weblists.h"
#include "workspace/document.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QUrl>

namespace {

const QString kNoPage = QStringLiteral("ページがありません");
const QString kDone = QStringLiteral("完了");
const QString kAutomaticFailure = QStringLiteral("自動反映できませんでした：%1");

QStringList itemsOf(const QComboBox &box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items.append(box.itemText(i));
    return items;
}

// The page as the document would be saved, so the browser reads the same bytes the user will
// publish. A page its encoding cannot hold (Shift_JIS has no 𠮷) is shown all the same: the
// preview is the program's own file, written then as UTF-8 with a byte order mark, which the
// engine reads before and above whatever charset the page declares. The document keeps its
// encoding; saving it asks.
QByteArray previewBytes(const QString &text, const TextFormat &format)
{
    try {
        return TextCodec::encode(text, format);
    } catch (const UserError &) {
        TextFormat utf8;
        utf8.encoding = TextFormat::Encoding::Utf8;
        utf8.byteOrderMark = true;
        return TextCodec::encode(text, utf8);
    }
}

} // namespace

PreviewCommands::PreviewCommands(CommandDispatcher &commands,
                                 const Document &document,
                                 PreviewSession &session,
                                 WebLists &lists,
                                 UserDialogs &dialogs,
                                 const PreviewControls &controls,
                                 BrowserEngine *engine,
                                 QObject *parent)
    : QObject(parent ? parent : controls.pane), m_commands(commands), m_document(&document), m_session(session),
      m_lists(lists), m_dialogs(dialogs), m_controls(controls),
      m_engine(engine ? engine : new WebEngineBrowser(controls.pane))
{
    m_engine->setParent(this);
    connect(m_engine, &BrowserEngine::downloadBegin, this, &PreviewCommands::downloadBegin);
    connect(m_engine, &BrowserEngine::progressChange, this, &PreviewCommands::progressChange);
    connect(m_engine, &BrowserEngine::documentComplete, this, &PreviewCommands::documentComplete);
    connect(m_engine, &BrowserEngine::navigateError, this, &PreviewCommands::loadEnded);
    connect(m_engine, &BrowserEngine::phoneFitMeasured, this, &PreviewCommands::recordPhoneFit);

    // A radio button is also checked from the keyboard, by an accessibility action or by the
    // program, and none of those is a click: the flag follows the checked state itself. The
    // click handlers below still set it too, as they always did.
    if (m_controls.onlineMode) {
        m_session.onlineFlag = m_controls.onlineMode->isChecked();
        connect(m_controls.onlineMode, &QAbstractButton::toggled, this, &PreviewCommands::setOnline);
    }
    // Watched as a key, not as returnPressed: an editable combo box hands an Enter its line
    // edit ignored back to that line edit, which then reports it a second time.
    if (QLineEdit *edit = m_controls.urlBox ? m_controls.urlBox->lineEdit() : nullptr)
        edit->installEventFilter(this);

    if (m_controls.pageWidth)
        new PageWidthChoice(*m_controls.pageWidth,
                            *m_engine,
                            DataFolder::filePath(PreviewChoices::kFileName),
                            m_controls.setStatusText,
                            this);

    commands.add(QStringLiteral("Button1Click"), [this](int) { render(); });
    commands.add(QStringLiteral("RadioButton3Click"), [this](int) { setOnline(true); });
    commands.add(QStringLiteral("RadioButton4Click"), [this](int) { setOnline(false); });
    commands.add(QStringLiteral("SpeedButton1Click"), [this](int tag) { moveInHistory(tag); });
}

PreviewCommands::~PreviewCommands() = default;

void PreviewCommands::render()
{
    if (m_controls.httpMode && m_controls.httpMode->isChecked())
        browse(m_controls.urlBox->currentText());
    else
        renderDocument();
}

void PreviewCommands::showDocument(const Document &document)
{
    m_document = &document;
    if (!m_controls.httpMode || !m_controls.httpMode->isChecked())
        renderDocument();
}

void PreviewCommands::browse(const QString &address)
{
    m_engine->setOffline(!m_session.onlineFlag);
    m_engine->navigate(address);
}

bool PreviewCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !m_controls.urlBox || watched != m_controls.urlBox->lineEdit())
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    // Enter means "go there" only where 反映 goes to the address; in file mode it would
    // render the document instead, which nobody expects from the address box.
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || !m_controls.httpMode || !m_controls.httpMode->isChecked())
        return QObject::eventFilter(watched, event);
    m_commands.run(QStringLiteral("Button1Click"));
    return true;
}

void PreviewCommands::renderDocument()
{
    const QString text = m_controls.documentText ? m_controls.documentText() : QString();
    if (text.isEmpty())
        return;
    // An untitled page has no folder of its own; a preview file in whatever folder is current
    // would turn up in the user's save dialog and in the transfer window's list.
    m_session.previewDir = m_document->isUntitled()
        ? untitledFolder()
        : PreviewFile::folderFor(m_session.previewDir, QDir::currentPath(), QCoreApplication::applicationDirPath());
    const QString path = PreviewFile::write(m_session, previewBytes(text, m_document->format()));
    const QString address = QUrl::fromLocalFile(path).toString();
    // The same page again is the user's page after an edit: it stays where the user was reading.
    if (m_engine->locationUrl() == address)
        m_engine->restoreScrollOnNextLoad(m_engine->scrollPosition());
    m_rendered = {m_document, m_document->revision(), address, std::nullopt};
    m_engine->navigate(address);
}

void PreviewCommands::recordPhoneFit(const QString &address, const PhoneFit &fit)
{
    if (address != m_rendered.address)
        return;
    m_rendered.fit = fit;
    emit phoneFitMeasured();
}

std::optional<PhoneFit> PreviewCommands::phoneFitOf(const Document &document) const
{
    if (&document != m_rendered.document || document.revision() != m_rendered.revision)
        return std::nullopt;
    return m_rendered.fit;
}

QString PreviewCommands::untitledFolder()
{
    if (!m_untitledFolder) {
        // Made by mkdtemp, so readable by this user only; removed with everything in it when
        // the program ends.
        m_untitledFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/qzweb-preview-XXXXXX"));
    }
    if (!m_untitledFolder->isValid())
        throw UserError(QStringLiteral("プレビュー用の一時フォルダ %1 を作成できません")
                            .arg(QDir::toNativeSeparators(QDir::tempPath())));
    return m_untitledFolder->path() + QLatin1Char('/');
}

void PreviewCommands::refreshAutomatically()
{
    if (m_controls.httpMode && m_controls.httpMode->isChecked())
        return;
    try {
        renderDocument();
        m_automaticFailure.clear();
    } catch (const std::exception &e) {
        // Nothing the program does by itself opens a box: it would come up over whatever the
        // user is doing, over a question of theirs too.
        const QString failure = userTextOf(e);
        if (failure == m_automaticFailure)
            return;
        m_automaticFailure = failure;
        if (m_controls.setStatusText)
            m_controls.setStatusText(kAutomaticFailure.arg(failure));
    }
}

void PreviewCommands::setOnline(bool online)
{
    m_session.onlineFlag = online;
}

void PreviewCommands::moveInHistory(int tag)
{
    try {
        if (tag == kBackTag)
            m_engine->goBack();
        else if (tag == kForwardTag)
            m_engine->goForward();
        else
            m_engine->stop();
    } catch (const BrowserEngineError &) {
        m_dialogs.notify(m_controls.pane ? m_controls.pane->window() : nullptr, kNoPage);
    }
}

void PreviewCommands::downloadBegin()
{
    m_controls.progressBar->setValue(0);
    m_controls.progressBar->show();
}

void PreviewCommands::progressChange(int progress, int progressMax)
{
    // Qt's event loop runs between two progress events, so the bar repaints by itself;
    // processing events here would only let other commands run in the middle of this one.
    m_controls.progressBar->setMaximum(qMax(0, progressMax));
    m_controls.progressBar->setValue(progress);
}

void PreviewCommands::documentComplete()
{
    const DocumentCompletion::Outcome outcome = DocumentCompletion::handle(m_session.lastUrl,
                                                                           m_lists.webHistory,
                                                                           m_engine->locationUrl(),
                                                                           m_engine->locationName(),
                                                                           QDate::currentDate(),
                                                                           itemsOf(*m_controls.urlBox));
    // Local pages are not recorded, but their load is over all the same: a bar left at its
    // last position would tell the user something is still loading.
    loadEnded();
    if (!outcome.webPage)
        return;
    if (m_controls.setStatusText)
        m_controls.setStatusText(kDone);
    if (outcome.insertIntoUrlList)
        m_controls.urlBox->insertItem(0, outcome.address);
    m_controls.urlBox->setEditText(outcome.address);
}

void PreviewCommands::loadEnded()
{
    m_controls.progressBar->hide();
}
