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
    // A "/" would put the file in another folder; a "\" is one on the server's Windows.
    for (const QChar c : {QChar(u'/'), QChar(u'\\'), QChar(0)}) {
        if (name.contains(c))
            return QStringLiteral("名前に「%1」は使えません").arg(c == QChar(0) ? QStringLiteral("NUL") : QString(c));
    }
    if (name.contains(u'\n') || name.contains(u'\r'))
        return QStringLiteral("名前に改行は使えません");
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
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        throw UserError(QStringLiteral("「%1」という名前は、このフォルダでもう使われています").arg(name));
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
        if (QFileInfo::exists(*path))
            throw UserError(QStringLiteral("「%1」という名前は、このフォルダでもう使われています")
                                .arg(QFileInfo(*path).fileName()));
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

std::optional<QString> SiteFileCommands::rename(const QString &path)
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
    if (!caseOnly && (QFileInfo::exists(target) || QFileInfo(target).isSymLink()))
        throw UserError(QStringLiteral("「%1」という名前は、このフォルダでもう使われています").arg(*answer));
    if (!QFile::rename(path, target))
        throw UserError(QStringLiteral("%1 の名前を変えられません").arg(native(path)));
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
