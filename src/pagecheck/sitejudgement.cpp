#include "pagecheck/sitejudgement.h"

#include "common/charsetdeclaration.h"
#include "pagecheck/checksentences.h"
#include "pagecheck/pagecheck.h"
#include "workspace/site.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

using Place = FileFacts::Place;
using Outcome = SiteIndex::Outcome;

CheckRow rowAt(const Place &place, const char *key, const QStringList &arguments)
{
    return CheckSentences::ownRow(key, arguments, place.line, place.column);
}

QString fileName(const QString &path)
{
    return path.section(QLatin1Char('/'), -1);
}

// How a file at from is to write the address of to.
QString relative(const QString &from, const QString &to)
{
    return QString::fromUtf8(Site::relativePath(from.toUtf8(), to.toUtf8()));
}

class Judge
{
public:
    Judge(const QList<SiteJudgement::File> &files, const SiteIndex &index) : m_files(files), m_index(index)
    {
        for (qsizetype i = 0; i < files.size(); ++i)
            m_byPath.insert(files.at(i).path, i);
    }

    QList<SiteJudgement::FileRows> judge()
    {
        for (const SiteJudgement::File &file : m_files) {
            if (file.facts) {
                for (const FileFacts::Reference &reference : file.facts->references)
                    follow(file, reference);
            }
        }
        markUnreached();
        markUnused();
        markCharsets();
        markTitles();
        QList<SiteJudgement::FileRows> out;
        for (const SiteJudgement::File &file : m_files) {
            CheckRows rows = m_rows.value(file.path);
            if (file.facts)
                rows += file.facts->pageRows;
            if (rows.isEmpty())
                continue;
            std::stable_sort(rows.begin(), rows.end(), [](const CheckRow &a, const CheckRow &b) {
                return std::pair(a.line, a.column) < std::pair(b.line, b.column);
            });
            out.append({file.path, file.bytes, std::move(rows)});
        }
        return out;
    }

private:
    const SiteJudgement::File *fileAt(const QString &path) const
    {
        const auto it = m_byPath.constFind(path);
        return it == m_byPath.cend() ? nullptr : &m_files.at(*it);
    }

    void add(const QString &path, const Place &place, const char *key, const QStringList &arguments)
    {
        m_rows[path].append(rowAt(place, key, arguments));
    }

    void follow(const SiteJudgement::File &file, const FileFacts::Reference &reference)
    {
        const SiteIndex::Target target = m_index.resolve(file.path, reference.address);
        const QString written = reference.address.trimmed();
        switch (target.outcome) {
        case Outcome::NotLocal:
            return;
        case Outcome::LocalPath:
            return add(file.path, reference.place, CheckSentences::kLocalPath, {written});
        case Outcome::Outside:
            return add(file.path, reference.place, CheckSentences::kOutsideSite, {written});
        case Outcome::Missing:
            return add(file.path, reference.place, CheckSentences::kTargetMissing, {written});
        case Outcome::CaseDiffers:
            add(file.path, reference.place, CheckSentences::kTargetCase, {relative(file.path, target.path)});
            break;
        case Outcome::Found:
        case Outcome::Self:
            break;
        }
        // A name that differs in letter case still tells which file was meant: it is used, and
        // its places are the ones the link means.
        if (target.outcome != Outcome::Self)
            m_used.insert(target.path);
        const SiteJudgement::File *led = fileAt(target.path);
        if (!led || led->kind != SiteFileKind::Page)
            return;
        if (target.outcome != Outcome::Self && file.kind == SiteFileKind::Page)
            m_links[file.path].insert(target.path);
        // "#top" goes to the top of any page, and "#" alone nowhere: browsers need no id for them.
        if (!led->facts || target.fragment.isEmpty()
            || target.fragment.compare(QLatin1String("top"), Qt::CaseInsensitive) == 0
            || led->facts->anchors.contains(target.fragment))
            return;
        add(file.path, reference.place, CheckSentences::kAnchorMissing, {target.fragment, fileName(target.path)});
    }

    // From the top page along the links; without one, the pages no other page links to.
    void markUnreached()
    {
        const std::optional<QString> top = m_index.topPage();
        QSet<QString> reached;
        if (top) {
            QList<QString> queue{*top};
            reached.insert(*top);
            while (!queue.isEmpty()) {
                const QString page = queue.takeLast();
                for (const QString &next : m_links.value(page)) {
                    if (!reached.contains(next)) {
                        reached.insert(next);
                        queue.append(next);
                    }
                }
            }
        } else {
            for (auto it = m_links.cbegin(); it != m_links.cend(); ++it) {
                for (const QString &next : it.value()) {
                    if (next != it.key())
                        reached.insert(next);
                }
            }
        }
        for (const SiteJudgement::File &file : m_files) {
            if (file.kind == SiteFileKind::Page && !reached.contains(file.path))
                add(file.path, {}, CheckSentences::kOrphanPage, {top ? fileName(*top) : QString()});
        }
    }

    void markUnused()
    {
        for (const SiteJudgement::File &file : m_files) {
            const bool resource = file.kind == SiteFileKind::Image || file.kind == SiteFileKind::StyleSheet
                || file.kind == SiteFileKind::Script;
            // Browsers ask for the site's icon at the top by themselves.
            const bool icon = file.path.compare(QLatin1String("favicon.ico"), Qt::CaseInsensitive) == 0;
            if (resource && !icon && !m_used.contains(file.path))
                add(file.path, {}, CheckSentences::kUnusedFile, {});
        }
    }

    static std::optional<TextFormat::Encoding> declaredEncoding(const QString &declared)
    {
        switch (CharsetDeclaration::classify(declared.toLatin1())) {
        case CharsetDeclaration::Declared::ShiftJis:
            return TextFormat::Encoding::Cp932;
        case CharsetDeclaration::Declared::Utf8:
            return TextFormat::Encoding::Utf8;
        case CharsetDeclaration::Declared::Other:
            break;
        }
        return std::nullopt;
    }

    // A page of ASCII only without a declaration reads the same in either charset: it takes no
    // side in what the site's charset is.
    void markCharsets()
    {
        QHash<TextFormat::Encoding, int> counts;
        for (const SiteJudgement::File &file : m_files) {
            if (file.kind != SiteFileKind::Page || !file.facts)
                continue;
            const FileFacts::Charset &charset = *file.facts->charset;
            if (!charset.declared.isEmpty() && declaredEncoding(charset.declared) != file.savedAs)
                add(file.path,
                    charset.place,
                    CheckSentences::kCharsetSaved,
                    {PageCheck::charsetName(file.savedAs), charset.declared});
            if (!charset.declared.isEmpty() || !file.facts->asciiOnly)
                ++counts[file.savedAs];
        }
        const int utf8 = counts.value(TextFormat::Encoding::Utf8);
        const int shiftJis = counts.value(TextFormat::Encoding::Cp932);
        if (utf8 == shiftJis)
            return;
        const TextFormat::Encoding most = utf8 > shiftJis ? TextFormat::Encoding::Utf8 : TextFormat::Encoding::Cp932;
        for (const SiteJudgement::File &file : m_files) {
            if (file.kind != SiteFileKind::Page || !file.facts || file.savedAs == most
                || (file.facts->charset->declared.isEmpty() && file.facts->asciiOnly))
                continue;
            add(file.path,
                file.facts->charset->declared.isEmpty() ? Place{} : file.facts->charset->place,
                CheckSentences::kCharsetSite,
                {PageCheck::charsetName(file.savedAs), PageCheck::charsetName(most)});
        }
    }

    void markTitles()
    {
        QHash<QString, QStringList> byTitle;
        for (const SiteJudgement::File &file : m_files) {
            if (file.kind == SiteFileKind::Page && file.facts && !file.facts->title->text.isEmpty())
                byTitle[file.facts->title->text].append(file.path);
        }
        for (const SiteJudgement::File &file : m_files) {
            if (file.kind != SiteFileKind::Page || !file.facts)
                continue;
            const FileFacts::Title &title = *file.facts->title;
            if (title.text.isEmpty()) {
                add(file.path, title.place, CheckSentences::kTitleMissing, {});
                continue;
            }
            const QStringList &same = byTitle.value(title.text);
            if (same.size() < 2)
                continue;
            const QString other = same.first() == file.path ? same.at(1) : same.first();
            const QString others = same.size() > 2
                ? QStringLiteral("%1 など %2 ページ").arg(relative(file.path, other)).arg(same.size() - 1)
                : relative(file.path, other);
            add(file.path, title.place, CheckSentences::kTitleDuplicate, {title.text, others});
        }
    }

    const QList<SiteJudgement::File> &m_files;
    const SiteIndex &m_index;
    QHash<QString, qsizetype> m_byPath;
    QHash<QString, CheckRows> m_rows;
    QSet<QString> m_used;
    QHash<QString, QSet<QString>> m_links;
};

} // namespace

namespace SiteJudgement {

QList<FileRows> judge(const QList<File> &files, const SiteIndex &index)
{
    return Judge(files, index).judge();
}

} // namespace SiteJudgement
