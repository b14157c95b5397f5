#include "app/sitefilecommands.h"

#include "authoring/pageskeleton.h"
#include "common/atomicfile.h"
#include "common/textcodec.h"
#include "common/userdialogs.h"
#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kPageSuffix = QStringLiteral(".html");
const QList<QChar> kRefusedCharacters = {u'/', u'\\', u':', u'*', u'?', u'"', u'<', u'>', u'|'};

QString taken(const QString &name)
{
    return QStringLiteral("「%1」という名前は、このフォルダでもう使われています").arg(name);
}

bool isTaken(const QString &path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

SiteFileCommands::SiteFileCommands(UserDialogs &dialogs,
                                   QWidget &panel,
                                   std::function<bool(const QString &path)> isEdited)
    : m_dialogs(dialogs), m_panel(panel), m_isEdited(std::move(isEdited))
{}

QString SiteFileCommands::invalidNameReason(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("名前が空です");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("「%1」は名前に使えません").arg(name);
    // A "/" would put the file in another folder; a "\" is one on the server's Windows, which
    // refuses the others too, and they mean something in a link or to an FTP server's shell.
    for (const QChar c : kRefusedCharacters) {
        if (name.contains(c))
            return QStringLiteral("名前に「%1」は使えません（サーバーで使えない文字です）").arg(c);
    }
    if (name.contains(u'\n') || name.contains(u'\r'))
        return QStringLiteral("名前に改行は使えません");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("名前に制御文字 (U+%1) は使えません")
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    // Windows servers drop a dot or a space at the end, and the name then is another.
    if (name.endsWith(u'.') || name.endsWith(u' '))
        return QStringLiteral("名前の最後に「.」や空白は使えません（サーバーで名前が変わります）");
    return {};
}

std::optional<QString>
SiteFileCommands::askName(const QString &title, const QString &prompt, const QString &initial, const QString &folder)
{
    const std::optional<QString> answer = m_dialogs.inputText(&m_panel, title, prompt, initial);
    if (!answer)
        return std::nullopt;
    const QString name = *answer;
    if (const QString reason = invalidNameReason(name); !reason.isEmpty())
        throw UserError(reason);
    const QString path = QDir(folder).filePath(name);
    if (isTaken(path))
        throw UserError(taken(name));
    return path;
}

std::optional<QString> SiteFileCommands::newPage(const QString &folder)
{
    std::optional<QString> path = askName(QStringLiteral("新しいページ"),
                                          QStringLiteral("新しいページのファイル名を入力してください"),
                                          QStringLiteral("newpage") + kPageSuffix,
                                          folder);
    if (!path)
        return std::nullopt;
    // A name without an extension would open as text, not as a page.
    if (QFileInfo(*path).suffix().isEmpty()) {
        *path += kPageSuffix;
        if (isTaken(*path))
            throw UserError(taken(QFileInfo(*path).fileName()));
    }
    // Written as a new page is saved: Shift_JIS, CR LF.
    AtomicFile::write(*path, TextCodec::encode(PageSkeleton::text(), TextFormat{}));
    return path;
}

std::optional<QString> SiteFileCommands::newFolder(const QString &folder)
{
    const std::optional<QString> path = askName(QStringLiteral("新しいフォルダ"),
                                                QStringLiteral("新しいフォルダの名前を入力してください"),
                                                QStringLiteral("新しいフォルダ"),
                                                folder);
    if (!path)
        return std::nullopt;
    if (!QDir().mkdir(*path))
        throw UserError(QStringLiteral("フォルダ %1 を作成できません").arg(native(*path)));
    return path;
}

std::optional<QString> SiteFileCommands::askRename(const QString &path)
{
    refuseUntouchable(path, QStringLiteral("名前を変えられません"));
    const QFileInfo file(path);
    const std::optional<QString> answer = m_dialogs.inputText(
        &m_panel, QStringLiteral("名前の変更"), QStringLiteral("新しい名前を入力してください"), file.fileName());
    if (!answer || *answer == file.fileName())
        return std::nullopt;
    if (const QString reason = invalidNameReason(*answer); !reason.isEmpty())
        throw UserError(reason);
    const QString target = file.dir().filePath(*answer);
    // "Index.html" for "index.html" is a new name even where the file system folds case.
    const bool caseOnly = answer->compare(file.fileName(), Qt::CaseInsensitive) == 0;
    if (!caseOnly && isTaken(target))
        throw UserError(taken(*answer));
    return target;
}

std::optional<QString> SiteFileCommands::askMove(const QString &path, const QString &siteRoot)
{
    refuseUntouchable(path, QStringLiteral("移動できません"));
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Folder;
    request.title = QStringLiteral("「%1」の移動先のフォルダ").arg(QFileInfo(path).fileName());
    request.directory = QFileInfo(path).absolutePath();
    const std::optional<QString> folder = m_dialogs.chooseFile(&m_panel, request);
    if (!folder)
        return std::nullopt;
    const QString cleaned = QDir::cleanPath(QFileInfo(*folder).absoluteFilePath());
    if (cleaned != siteRoot && !cleaned.startsWith(siteRoot + QLatin1Char('/')))
        throw UserError(
            QStringLiteral("%1 はサイトのフォルダの外です。サイトの中のフォルダを選んでください").arg(native(cleaned)));
    return checkedMove(path, cleaned);
}

std::optional<QString> SiteFileCommands::checkedMove(const QString &path, const QString &folder) const
{
    refuseUntouchable(path, QStringLiteral("移動できません"));
    const QFileInfo file(path);
    const QString from = QDir::cleanPath(file.absoluteFilePath());
    const QString into = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!QFileInfo(into).isDir())
        throw UserError(QStringLiteral("フォルダ %1 がありません").arg(native(into)));
    if (into == from || into.startsWith(from + QLatin1Char('/')))
        throw UserError(QStringLiteral("フォルダ「%1」を、それ自身の中には移動できません").arg(file.fileName()));
    if (into == QDir::cleanPath(file.absolutePath()))
        return std::nullopt;
    const QString target = QDir(into).filePath(file.fileName());
    if (isTaken(target))
        throw UserError(QStringLiteral("「%1」という名前は、移動先のフォルダ %2 でもう使われています")
                            .arg(file.fileName(), native(into)));
    return target;
}

bool SiteFileCommands::moveToTrash(const QString &path)
{
    refuseUntouchable(path, QStringLiteral("削除できません"));
    const QFileInfo file(path);
    const QString what = file.isDir() ? QStringLiteral("フォルダ「%1」と、その中のものすべて").arg(file.fileName())
                                      : QStringLiteral("「%1」").arg(file.fileName());
    const DialogButton answer =
        m_dialogs.confirmDiscard(&m_panel,
                                 what + QStringLiteral("をごみ箱に移します。\n\n   よろしいですか？"),
                                 {DialogButton::Yes, DialogButton::No});
    if (answer != DialogButton::Yes)
        return false;
    if (!QFile::moveToTrash(path)) {
        if (!QFileInfo::exists(path))
            throw UserError(QStringLiteral("%1 はもうありません").arg(native(path)));
        throw UserError(
            QStringLiteral("%1 をごみ箱に移せません。この場所ではごみ箱が使えないか、書き込みが許されていません。"
                           "ファイルはそのまま残っています")
                .arg(native(path)));
    }
    return true;
}

void SiteFileCommands::refuseUntouchable(const QString &path, const QString &what) const
{
    // The file system's name is not UTF-8 (CP932 from a Windows archive): the text shown for
    // it names no file, and a command on that text would fail or reach another one.
    if (QFileInfo(path).fileName().contains(QChar::ReplacementCharacter))
        throw UserError(
            QStringLiteral("%1 は名前が UTF-8 ではないので%2。ファイルマネージャーなどで名前を付け直してください")
                .arg(native(path), what));
    if (m_isEdited && m_isEdited(path))
        throw UserError(
            QStringLiteral("%1 は編集中のページか、それを含むフォルダなので%2。先に別のページを開いてください")
                .arg(native(path), what));
}
