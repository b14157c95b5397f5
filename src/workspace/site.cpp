#include "workspace/site.h"

#include "common/cp932codec.h"
#include "common/ownfiles.h"
#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QByteArray withSlash(const QByteArray &folder)
{
    return folder.endsWith('/') ? folder : folder + '/';
}

// The path below base when path lies in it; nullopt otherwise.
std::optional<QByteArray> below(const QByteArray &base, const QByteArray &path)
{
    if (base.isEmpty())
        return std::nullopt;
    if (path == base)
        return QByteArray();
    const QByteArray prefix = withSlash(base);
    if (!path.startsWith(prefix))
        return std::nullopt;
    return path.mid(prefix.size());
}

QByteArray canonical(const QByteArray &path)
{
    char *resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return {};
    QByteArray result(resolved);
    ::free(resolved);
    return result;
}

// The text of bytes that are valid UTF-8; nullopt for any other bytes.
std::optional<QString> decodedUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

struct FolderEntry
{
    QByteArray name;
    bool folder = false;
};

// The plain files and folders of one folder, by name in byte order; nullopt when it cannot be
// opened.
std::optional<QList<FolderEntry>> readFolder(const QByteArray &folder)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return std::nullopt;
    QList<FolderEntry> entries;
    while (const dirent *found = ::readdir(dir)) {
        const QByteArray name(found->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat info = {};
        if (::fstatat(::dirfd(dir), found->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone since it was listed
        if (S_ISDIR(info.st_mode))
            entries.append({name, true});
        else if (S_ISREG(info.st_mode))
            entries.append({name, false});
    }
    ::closedir(dir);
    std::sort(
        entries.begin(), entries.end(), [](const FolderEntry &a, const FolderEntry &b) { return a.name < b.name; });
    return entries;
}

} // namespace

Site::Site(const QString &root, Exclusion exclusion)
    : m_root(QDir::cleanPath(QFileInfo(root).absoluteFilePath())), m_rootBytes(QFile::encodeName(m_root)),
      m_canonicalRoot(canonical(m_rootBytes)), m_exclusion(std::move(exclusion))
{
    if (root.isEmpty()) {
        m_root.clear();
        m_rootBytes.clear();
        m_canonicalRoot.clear();
    }
}

std::optional<QByteArray> Site::pathOf(const QString &localPath) const
{
    if (isNull() || localPath.isEmpty())
        return std::nullopt;
    const QByteArray path = QFile::encodeName(QDir::cleanPath(QFileInfo(localPath).absoluteFilePath()));
    if (std::optional<QByteArray> inside = below(m_rootBytes, path))
        return inside;
    // The page may have been opened through a link to the site's folder, or the site chosen
    // through one: where both really are decides. The file itself need not exist yet.
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = canonical(slash > 0 ? path.left(slash) : QByteArray("/"));
    const QByteArray name = path.mid(slash + 1);
    if (folder.isEmpty())
        return std::nullopt;
    if (std::optional<QByteArray> inside = below(m_canonicalRoot, withSlash(folder) + name))
        return inside;
    // The root itself, reached through a link.
    if (canonical(path) == m_canonicalRoot && !m_canonicalRoot.isEmpty())
        return QByteArray();
    return std::nullopt;
}

QString Site::localPath(const QByteArray &path) const
{
    return QFile::decodeName(path.isEmpty() ? m_rootBytes : withSlash(m_rootBytes) + path);
}

bool Site::isLeftOut(const QByteArray &path, bool folder) const
{
    if (!folder && OwnFiles::isPreviewCopy(localPath(path)))
        return true;
    return m_exclusion && m_exclusion(path, folder);
}

bool Site::shows(const QByteArray &path, bool folder, HiddenFiles hidden) const
{
    if (hidden == HiddenFiles::Left) {
        for (const QByteArray &name : path.split('/')) {
            if (isHiddenName(name))
                return false;
        }
    }
    return !isLeftOut(path, folder);
}

QList<Site::Entry> Site::entries(HiddenFiles hidden, const Limits &limits) const
{
    if (isNull())
        return {};
    QList<Entry> result;
    // Depth first: the stack stays as short as the tree is deep.
    struct Pending
    {
        QByteArray path;
        int depth = 0;
    };
    QList<Pending> stack = {{QByteArray(), 0}};
    bool top = true;
    while (!stack.isEmpty()) {
        const Pending folder = stack.takeLast();
        const QByteArray local = folder.path.isEmpty() ? m_rootBytes : withSlash(m_rootBytes) + folder.path;
        const std::optional<QList<FolderEntry>> read = readFolder(local);
        if (!read) {
            if (top)
                throw UserError(
                    QStringLiteral("サイトのフォルダ %1 を読めません: %2")
                        .arg(QDir::toNativeSeparators(m_root), QString::fromLocal8Bit(std::strerror(errno))));
            continue; // a folder of the site the user cannot read holds nothing to work on
        }
        top = false;
        QList<Pending> folders;
        for (const FolderEntry &entry : *read) {
            const QByteArray path = folder.path.isEmpty() ? entry.name : folder.path + '/' + entry.name;
            // The folder holding it was shown, so its own name is all that is left to ask about.
            if ((hidden == HiddenFiles::Left && isHiddenName(entry.name)) || isLeftOut(path, entry.folder))
                continue;
            if (result.size() >= limits.maxEntries)
                throw UserError(QStringLiteral("サイトのフォルダ %1 には、ファイルが多すぎます（%2 個まで）")
                                    .arg(QDir::toNativeSeparators(m_root))
                                    .arg(limits.maxEntries));
            result.append({path, entry.folder ? SiteFileKind::Folder : SiteFileKinds::ofName(entry.name)});
            if (entry.folder) {
                if (folder.depth + 1 > limits.maxDepth)
                    throw UserError(QStringLiteral("サイトのフォルダ %1 は、フォルダの重なりが深すぎます（%2 段まで）")
                                        .arg(QDir::toNativeSeparators(m_root))
                                        .arg(limits.maxDepth));
                folders.append({path, folder.depth + 1});
            }
        }
        // The sub-folders go on the stack last first, so the first is walked next.
        for (auto it = folders.crbegin(); it != folders.crend(); ++it)
            stack.append(*it);
    }
    return result;
}

QList<QByteArray> Site::namesNotUtf8(const QByteArray &folder, HiddenFiles hidden) const
{
    QList<QByteArray> names;
    if (isNull())
        return names;
    const QByteArray local = folder.isEmpty() ? m_rootBytes : withSlash(m_rootBytes) + folder;
    for (const FolderEntry &entry : readFolder(local).value_or(QList<FolderEntry>())) {
        const QByteArray path = folder.isEmpty() ? entry.name : folder + '/' + entry.name;
        if (!decodedUtf8(entry.name) && shows(path, entry.folder, hidden))
            names.append(path);
    }
    return names;
}

QList<Site::Entry> Site::entriesWhere(HiddenFiles hidden, bool (*wanted)(const Entry &)) const
{
    QList<Entry> result;
    for (const Entry &entry : entries(hidden)) {
        if (wanted(entry))
            result.append(entry);
    }
    return result;
}

QList<Site::Entry> Site::pages(HiddenFiles hidden) const
{
    return entriesWhere(hidden, [](const Entry &entry) { return entry.kind == SiteFileKind::Page; });
}

QList<Site::Entry> Site::textFiles(HiddenFiles hidden) const
{
    return entriesWhere(hidden, [](const Entry &entry) {
        return entry.kind == SiteFileKind::Page || entry.kind == SiteFileKind::StyleSheet
            || entry.kind == SiteFileKind::Script || entry.path.toLower().endsWith(".txt");
    });
}

QByteArray Site::relativePath(const QByteArray &from, const QByteArray &to)
{
    QList<QByteArray> fromParts = from.split('/');
    fromParts.removeLast(); // the file's own name: links are written from its folder
    QList<QByteArray> toParts = to.isEmpty() ? QList<QByteArray>() : to.split('/');
    qsizetype common = 0;
    while (common < fromParts.size() && common < toParts.size() && fromParts.at(common) == toParts.at(common))
        ++common;
    QByteArray result;
    for (qsizetype i = common; i < fromParts.size(); ++i)
        result += "../";
    for (qsizetype i = common; i < toParts.size(); ++i) {
        result += toParts.at(i);
        if (i + 1 < toParts.size())
            result += '/';
    }
    return result.isEmpty() ? QByteArray("./") : result;
}

QString Site::displayName(const QByteArray &name)
{
    if (const std::optional<QString> text = decodedUtf8(name))
        return *text;
    return Cp932Codec::decode(name).text;
}
