#include "preview/webliststore.h"

#include "common/linefile.h"
#include "preview/commatext.h"

#include <QCollator>

#include <algorithm>

namespace WebListStore {

namespace {

QString withoutLineBreaks(QString field)
{
    for (QChar &c : field) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.unicode() == 0)
            c = QLatin1Char(' ');
    }
    return field;
}

} // namespace

QString line(const QString &group, const QString &title, const QString &address)
{
    return CommaText::join({withoutLineBreaks(group), withoutLineBreaks(title), withoutLineBreaks(address)});
}

QStringList read(const QString &path)
{
    return LineFile::read(path);
}

void write(const QString &path, const QStringList &lines)
{
    LineFile::write(path, lines);
}

QStringList historyForWriting(QStringList lines)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(lines.begin(), lines.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    if (lines.size() > kHistoryLimit)
        lines.erase(lines.begin(), lines.end() - kHistoryLimit);
    return lines;
}

} // namespace WebListStore
