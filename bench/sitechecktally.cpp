#include "sitechecktally.h"

#include "pagecheck/checkrow.h"
#include "pagecheck/pagecheckpanel.h"

#include <QSet>
#include <QTreeWidget>

#include <functional>

namespace SiteCheckTally {

namespace {

// Counts each finding once: towards the first fault not yet found that it names, else extra.
template<typename Finding>
Tally tally(const QList<Finding> &findings,
            const QList<SiteCheckPages::Fault> &faults,
            const std::function<bool(const Finding &, const SiteCheckPages::Fault &)> &names)
{
    Tally counts;
    QSet<qsizetype> found;
    for (const Finding &finding : findings) {
        qsizetype fault = 0;
        while (fault < faults.size() && (found.contains(fault) || !names(finding, faults.at(fault))))
            ++fault;
        if (fault < faults.size())
            found.insert(fault);
        else
            ++counts.extra;
    }
    counts.found = int(found.size());
    return counts;
}

struct PanelRow
{
    QString page;
    int line = 0;
    QString sentence;
};

// The list's エラー rows, each under its file's item ("path（counts）").
QList<PanelRow> errorRows(const QTreeWidget &list)
{
    const QString error = CheckRow::levelName(CheckRow::Level::Error);
    // The row's cells in the order of the page check's headings: level, line, column, sentence.
    const QStringList headings = PageCheckPanel::rowHeadings();
    const auto level = int(headings.indexOf(QStringLiteral("種類")));
    const auto line = int(headings.indexOf(QStringLiteral("行")));
    const auto sentence = int(headings.indexOf(QStringLiteral("内容")));
    QList<PanelRow> rows;
    for (int f = 0; f < list.topLevelItemCount(); ++f) {
        const QTreeWidgetItem &file = *list.topLevelItem(f);
        const QString page = file.text(0).section(QStringLiteral("（"), 0, 0);
        for (int r = 0; r < file.childCount(); ++r) {
            const QTreeWidgetItem &row = *file.child(r);
            if (row.text(level) == error)
                rows.append({page, row.text(line).toInt(), row.text(sentence)});
        }
    }
    return rows;
}

} // namespace

Tally ofPanel(const QTreeWidget &list, const QList<SiteCheckPages::Fault> &faults)
{
    return tally<PanelRow>(errorRows(list), faults, [](const PanelRow &row, const SiteCheckPages::Fault &fault) {
        return row.page == fault.page && row.line == fault.line && row.sentence.contains(fault.named);
    });
}

Tally ofLinkChecker(const QList<LinkCheckerRun::Finding> &findings,
                    const QString &root,
                    const QList<SiteCheckPages::Fault> &faults)
{
    QList<LinkCheckerRun::Finding> reported;
    for (const LinkCheckerRun::Finding &finding : findings) {
        if (finding.error || !finding.warning.isEmpty())
            reported.append(finding);
    }
    return tally<LinkCheckerRun::Finding>(
        reported, faults, [&](const LinkCheckerRun::Finding &finding, const SiteCheckPages::Fault &fault) {
            return finding.page == root + QLatin1Char('/') + fault.page && finding.address == fault.address;
        });
}

} // namespace SiteCheckTally
