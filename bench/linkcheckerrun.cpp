#include "linkcheckerrun.h"

#include "benchbasics.h"
#include "toolrun.h"

#include <QFile>
#include <QStringList>
#include <QUrl>

namespace LinkCheckerRun {

namespace {

// Its CSV: ";" between fields, a field with ";", a quote or a line end in quotes (a quote in
// one doubled), and "#" lines of its own before and after the records.
QList<QStringList> records(const QString &text)
{
    QList<QStringList> all;
    QStringList fields;
    QString field;
    bool quoted = false;
    bool comment = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (comment) {
            comment = c != QLatin1Char('\n');
        } else if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"'))
                field += text.at(++i);
            else
                quoted = false;
        } else if (c == QLatin1Char('#') && fields.isEmpty() && field.isEmpty()) {
            comment = true;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(';')) {
            fields.append(std::exchange(field, {}));
        } else if (c == QLatin1Char('\n')) {
            fields.append(std::exchange(field, {}));
            all.append(std::exchange(fields, {}));
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    return all;
}

QList<Finding> findingsIn(const QString &csv)
{
    const QList<QStringList> rows = records(csv);
    if (rows.isEmpty())
        bench::fail("linkchecker wrote no CSV heading");
    const QStringList &heading = rows.first();
    const qsizetype address = heading.indexOf(QStringLiteral("urlname"));
    const qsizetype parent = heading.indexOf(QStringLiteral("parentname"));
    const qsizetype warning = heading.indexOf(QStringLiteral("warningstring"));
    const qsizetype valid = heading.indexOf(QStringLiteral("valid"));
    if (address < 0 || parent < 0 || warning < 0 || valid < 0)
        bench::fail("linkchecker's CSV lacks a column the bench reads");
    const qsizetype needed = std::max({address, parent, warning, valid}) + 1;
    QList<Finding> findings;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList &row = rows.at(i);
        if (row.size() < needed)
            bench::fail("linkchecker wrote a CSV row the bench cannot read");
        findings.append({QUrl(row.at(parent)).toLocalFile(),
                         row.at(address),
                         row.at(valid) != QLatin1String("True"),
                         row.at(warning)});
    }
    return findings;
}

} // namespace

void writeConfig(const QString &path)
{
    QFile file(path);
    const QByteArray text = "[AnchorCheck]\n";
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        bench::fail("cannot write linkchecker's configuration");
}

Result run(const QString &config, const QString &topPage)
{
    const ToolRun::Result tool = ToolRun::run("linkchecker",
                                              {"--config",
                                               config.toLocal8Bit(),
                                               "--no-status",
                                               "--output",
                                               "csv/utf-8",
                                               QUrl::fromLocalFile(topPage).toEncoded()});
    // 1: it found something, which the rows then say.
    if (tool.exitCode != 0 && tool.exitCode != 1)
        bench::fail("linkchecker failed (is the linkchecker package installed?)");
    return {findingsIn(QString::fromUtf8(tool.output)), tool.ms};
}

} // namespace LinkCheckerRun
