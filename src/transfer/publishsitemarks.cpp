#include "transfer/publishsitemarks.h"

#include <algorithm>

namespace PublishSiteMarks {

namespace {

using PublishPlan::Item;
using PublishPlan::State;

// What the server holds once the plan runs as ticked, by the path the screen shows.
class AfterPublish
{
public:
    explicit AfterPublish(const PublishPlan::Plan &plan)
    {
        for (const Item &item : plan.items)
            m_items.insert(item.shownPath(), &item);
    }

    bool holds(const QString &path) const
    {
        const Item *item = m_items.value(path);
        if (!item)
            return false; // neither here nor there, or left out by the site's exclusions
        if (item->state == State::ServerOnly)
            return !item->checked;
        // Unchanged files may be unlisted where listings hide dot names: the manifest knew them.
        return item->checked || item->listed || item->state == State::Unchanged;
    }

private:
    QHash<QString, const Item *> m_items;
};

constexpr qsizetype kNamedInTip = 20;

Mark pageMark(const SiteLinks::File &file, const AfterPublish &after)
{
    Mark mark{{}, file.errors};
    for (const QString &target : file.targets) {
        if (!after.holds(target))
            mark.details.append(QStringLiteral("リンク先の %1 はサーバーになく、今回も送りません。公開するとリンクが"
                                               "切れます。")
                                    .arg(target));
    }
    if (!mark.details.isEmpty())
        mark.text = QStringLiteral("エラー %1 件").arg(mark.details.size());
    return mark;
}

bool leadsInto(const QString &target, const Item &item)
{
    const QString path = item.shownPath();
    return target == path || (item.folder && target.startsWith(path + QLatin1Char('/')));
}

Mark deletionMark(const Item &item, const SiteLinks &links)
{
    QStringList linking;
    for (auto it = links.files.cbegin(); it != links.files.cend(); ++it) {
        const QStringList &targets = it->targets;
        if (std::any_of(targets.cbegin(), targets.cend(), [&](const QString &t) { return leadsInto(t, item); }))
            linking.append(it.key());
    }
    if (linking.isEmpty())
        return {};
    std::sort(linking.begin(), linking.end());
    Mark mark{QStringLiteral("%1 ページからリンクされています").arg(linking.size()), {}};
    mark.details.append(QStringLiteral("削除すると、次のページからのリンクが切れます:"));
    mark.details += linking.mid(0, kNamedInTip);
    if (linking.size() > kNamedInTip)
        mark.details.append(QStringLiteral("ほか %1 ページ").arg(linking.size() - kNamedInTip));
    return mark;
}

} // namespace

QHash<qsizetype, Mark> of(const PublishPlan::Plan &plan, const SiteLinks &links)
{
    const AfterPublish after(plan);
    QHash<qsizetype, Mark> marks;
    for (qsizetype i = 0; i < plan.items.size(); ++i) {
        const Item &item = plan.items.at(i);
        Mark mark;
        if (item.state == State::ServerOnly) {
            mark = deletionMark(item, links);
        } else if (const auto file = links.files.constFind(item.shownPath()); file != links.files.cend()) {
            mark = pageMark(*file, after);
        }
        if (!mark.text.isEmpty())
            marks.insert(i, std::move(mark));
    }
    return marks;
}

} // namespace PublishSiteMarks
